#pragma once

#include "ui/Dialog.h"

// A small modal dialog that works from a one-second timer until the receiver has said
// what it waits for. Cancel stops the timer and ends an automatic upload as well: it clears
// the automatic-upload flag it was given.
class ScanTimerDialog : public ui::Dialog {
  public:
    static constexpr unsigned kTickMs = 1000;

    ScanTimerDialog(const ui::DialogTemplate& dialogTemplate, int& autoUpload, ui::Window* parent)
        : ui::Dialog(dialogTemplate, parent), autoUpload_(autoUpload) {}

    bool OnInitDialog() override;
    void OnCancel() override;
    // Only the receiver's answer ends the dialog with OK: Enter must not pretend it came.
    void OnOK() override {}

  private:
    int& autoUpload_;
};
