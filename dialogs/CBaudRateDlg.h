#pragma once

#include "ui/Dialog.h"

// "Set Baud Rate": a click on a speed sets theUnit.baud at once; OK keeps it and notes that
// the user chose it, Cancel puts back the speed the dialog was built with.
class CBaudRateDlg : public ui::Dialog {
  public:
    explicit CBaudRateDlg(ui::Window* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnCommand(int id) override;

    int savedBaud;
};
