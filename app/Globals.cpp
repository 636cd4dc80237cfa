// The program's two global objects, in one place so that their order is fixed: the
// receiver (which reads "orvane.cfg") is built before the application that works on it.
// Part of the program only, not of the library its tests link.
#include "app/Globals.h"

CGpsUnit theUnit;
CUploaderApp theApp(theUnit);
