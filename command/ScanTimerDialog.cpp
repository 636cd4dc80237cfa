#include "command/ScanTimerDialog.h"

#include "res/Resource.h"

bool ScanTimerDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    SetTimer(kScanTimer, kTickMs);
    return true;
}

void ScanTimerDialog::OnCancel() {
    KillTimer(kScanTimer);
    autoUpload_ = 0;
    EndDialog(ui::IDCANCEL);
}
