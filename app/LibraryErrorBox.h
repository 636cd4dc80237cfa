#pragma once

#include <string>

// The serial link library's fatal report as the program shows it: a "Library Error" box
// once there is a window system, a line on standard error before (a tool, or start-up).
void ShowLibraryError(const std::string& text);
