#pragma once

#include "res/HelpTemplates.h"
#include "ui/Dialog.h"

// "Upload Help". Fixed texts; closes on OK, Escape or the close box.
class CUploadHelpDlg : public ui::Dialog {
  public:
    explicit CUploadHelpDlg(ui::Window* parent = nullptr)
        : ui::Dialog(UploadHelpTemplate(), parent) {}
};
