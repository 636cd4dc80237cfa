#pragma once

#include <string>

#include "ui/MessageBoxFlags.h"

namespace ui {

class Window;

// Shows a modal message box; answers the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
// Timers of the dialogs below it keep firing while it waits.
int MessageBox(Window* owner, const std::string& text, const std::string& caption,
               unsigned flags = MB_OK);

}  // namespace ui
