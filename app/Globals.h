#pragma once

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"

// The program's one receiver and one application object. Only the program's entry point
// uses them; everything else is handed the objects it works on.
extern CGpsUnit theUnit;
extern CUploaderApp theApp;
