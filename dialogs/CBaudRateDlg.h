#pragma once

#include "ui/Dialog.h"

class CUploaderApp;

// "Set Baud Rate": a click on a speed sets the receiver's speed at once; OK keeps it and
// notes that the user chose it, Cancel puts back the speed the dialog was built with.
class CBaudRateDlg : public ui::Dialog {
  public:
    explicit CBaudRateDlg(CUploaderApp& app, ui::Window* parent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnCommand(int id) override;

    int savedBaud;

  private:
    CUploaderApp& app_;
};
