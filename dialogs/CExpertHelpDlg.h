#pragma once

#include "res/HelpTemplates.h"
#include "ui/Dialog.h"

// "Expert Help". Fixed texts; closes on OK, Escape or the close box.
class CExpertHelpDlg : public ui::Dialog {
  public:
    explicit CExpertHelpDlg(ui::Window* parent = nullptr)
        : ui::Dialog(ExpertHelpTemplate(), parent) {}
};
