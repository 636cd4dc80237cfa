#pragma once

// The Windows API as the backends here use it: without the macros that would rename
// this program's own functions (Yield, min, max).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef Yield
