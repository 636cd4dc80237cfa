// The program's two global objects, in one place so that their order is fixed:
// the receiver (which reads "orvane.cfg") is built before the application.
#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"

CGpsUnit theUnit;
CUploaderApp theApp;
