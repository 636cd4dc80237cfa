#pragma once

#include <string>

#include "ui/Dialog.h"

// "WARNING - FIRMWARE PROBLEM": shows two lines; "Continue" answers OK, "Abort", Escape
// and the close box answer Cancel.
class CFirmwareWarningDlg : public ui::Dialog {
  public:
    CFirmwareWarningDlg(std::string upper, std::string lower, ui::Window* parent = nullptr);

    std::string upperLine;
    std::string lowerLine;

  protected:
    void DoDataExchange(ui::DataExchange& dx) override;
};
