#pragma once

#include <string>

#include "ui/Dialog.h"

class CGpsUnit;
struct ValidationContext;

// "Upload": asks before an automatic upload starts and names the version or map about to
// be loaded. YES answers OK, NO Cancel. The text is fixed when the dialog is built.
class CUploadConfirmDlg : public ui::Dialog {
  public:
    CUploadConfirmDlg(const CGpsUnit& unit, const ValidationContext& imageCheck,
                      ui::Window* parent = nullptr);

    void DoDataExchange(ui::DataExchange& dx) override;

    std::string versionText;
};
