#pragma once

#include <string>

struct HWND__;

namespace ui {

// A window's text in UTF-8, and setting it from UTF-8.
std::string ReadWindowText(HWND__* window);
void WriteWindowText(HWND__* window, const std::string& text);

}  // namespace ui
