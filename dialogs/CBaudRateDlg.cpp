#include "dialogs/CBaudRateDlg.h"

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "res/BaudRateTemplate.h"
#include "res/Resource.h"

CBaudRateDlg::CBaudRateDlg(CUploaderApp& app, ui::Window* parent)
    : ui::Dialog(BaudRateTemplate(), parent), savedBaud(app.unit.baud), app_(app) {}

bool CBaudRateDlg::OnInitDialog() {
    bool result = ui::Dialog::OnInitDialog();
    for (std::size_t row = 0; row < kBaudRateChoices.size(); ++row) {
        if (kBaudRateChoices[row] == app_.unit.baud) {
            int id = IDC_BAUD_FIRST + static_cast<int>(row);
            CheckRadioButton(IDC_BAUD_FIRST, IDC_BAUD_FIRST + 9, id);
        }
    }
    return result;
}

void CBaudRateDlg::OnCommand(int id) {
    int row = id - IDC_BAUD_FIRST;
    if (row >= 0 && static_cast<std::size_t>(row) < kBaudRateChoices.size())
        app_.unit.baud = kBaudRateChoices[static_cast<std::size_t>(row)];
}

void CBaudRateDlg::OnOK() {
    app_.baudChosenByUser = 1;
    EndDialog(ui::IDOK);
}

void CBaudRateDlg::OnCancel() {
    app_.unit.baud = savedBaud;
    EndDialog(ui::IDCANCEL);
}
