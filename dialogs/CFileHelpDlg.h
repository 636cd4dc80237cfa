#pragma once

#include "res/HelpTemplates.h"
#include "ui/Dialog.h"

// "File Help". Fixed texts; closes on OK, Escape or the close box.
class CFileHelpDlg : public ui::Dialog {
  public:
    explicit CFileHelpDlg(ui::Window* parent = nullptr) : ui::Dialog(FileHelpTemplate(), parent) {}
};
