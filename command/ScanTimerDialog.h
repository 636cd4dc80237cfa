#pragma once

#include "command/SilenceNotice.h"
#include "ui/Dialog.h"

// A small modal dialog that works from a one-second timer until the receiver has said
// what it waits for. Cancel stops the timer and ends an automatic upload as well: it clears
// the automatic-upload flag it was given. A dialog that waits for a receiver already found
// says on the status line when it has been silent for long (SilenceNotice).
class ScanTimerDialog : public ui::Dialog {
  public:
    static constexpr unsigned kTickMs = 1000;

    ScanTimerDialog(const ui::DialogTemplate& dialogTemplate, int& autoUpload, ui::Window* parent)
        : ui::Dialog(dialogTemplate, parent), autoUpload_(autoUpload) {}

    bool OnInitDialog() override;
    void OnCancel() override;
    // Only the receiver's answer ends the dialog with OK: Enter must not pretend it came.
    void OnOK() override {}

  protected:
    SilenceNotice silence{"Cancel stops waiting."};

  private:
    int& autoUpload_;
};
