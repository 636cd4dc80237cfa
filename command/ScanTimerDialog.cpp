#include "command/ScanTimerDialog.h"

#include "app/CGpsUnit.h"
#include "res/Resource.h"

bool ScanTimerDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    SetTimer(kScanTimer, kTickMs);
    return true;
}

void ScanTimerDialog::OnCancel() {
    KillTimer(kScanTimer);
    theUnit.autoUpload = 0;
    EndDialog(ui::IDCANCEL);
}
