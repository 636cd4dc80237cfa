#pragma once

#include "res/HelpTemplates.h"
#include "ui/Dialog.h"

// The About box. Fixed texts; closes on OK, Escape or the close box.
class CAboutDlg : public ui::Dialog {
  public:
    explicit CAboutDlg(ui::Window* parent = nullptr) : ui::Dialog(AboutTemplate(), parent) {}
};
