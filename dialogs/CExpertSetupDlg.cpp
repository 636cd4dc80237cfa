#include "dialogs/CExpertSetupDlg.h"

#include <iterator>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "dialogs/CBaudRateDlg.h"
#include "res/ExpertSetupTemplate.h"
#include "res/Resource.h"
#include "ui/MessageBox.h"

namespace {

constexpr int kFirstOtherPort = 4;  // the "COM" button's index in the port group

}  // namespace

const CExpertSetupDlg::Model CExpertSetupDlg::kModels[13] = {
    {2, 2},  {5, 5},  {5, 7},  {6, 6},  {5, 9},  {5, 8},  {15, 15},
    {5, 11}, {5, 13}, {5, 12}, {5, 14}, {5, 16}, {5, 17},
};

static_assert(std::size(CExpertSetupDlg::kModels) == kExpertModelNames.size());

CExpertSetupDlg::CExpertSetupDlg(CUploaderApp& app, ui::Window* parent)
    : ui::Dialog(ExpertSetupTemplate(), parent), app_(app) {}

int CExpertSetupDlg::DoModal() {
    int result = ui::Dialog::DoModal();
    // Expert mode starts from no chosen files, whichever way the dialog closed.
    if (app_.unit.expertMode != 0) {
        app_.unit.codeChosen = 0;
        app_.unit.dataChosen = 0;
    }
    return result;
}

bool CExpertSetupDlg::OnInitDialog() {
    modelChoice = 0;  // "GPS 7K1/7K2" for a unit type without a button of its own
    for (std::size_t i = 0; i < std::size(kModels); ++i) {
        if (kModels[i].unitType == app_.unit.unitType) {
            modelChoice = static_cast<int>(i);
            break;
        }
    }
    expertChoice = app_.unit.expertMode != 0 ? 1 : 0;
    otherComNumber = 0;
    if (app_.unit.comIndex < 0) {
        portChoice = -1;
    } else if (app_.unit.comIndex < kFirstOtherPort) {
        portChoice = app_.unit.comIndex;
    } else {
        portChoice = kFirstOtherPort;
        otherComNumber = static_cast<unsigned>(app_.unit.comIndex) + 1;
    }
    return ui::Dialog::OnInitDialog();
}

void CExpertSetupDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Radio(IDC_EXPERT_COM1, portChoice);
    dx.Radio(IDC_EXPERT_UNIT_FIRST, modelChoice);
    dx.Radio(IDC_EXPERT_OFF, expertChoice);
    dx.Unsigned(IDC_EXPERT_COM_NUMBER, otherComNumber);
}

bool CExpertSetupDlg::StoreChoices() {
    if (!UpdateData(true))
        return false;
    // There is no COM0: its index, -1, would be saved and name no port at the next start.
    if (portChoice == kFirstOtherPort && otherComNumber == 0) {
        ui::MessageBox(this, "Please enter a positive integer.", Caption(),
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
        SetFocus(IDC_EXPERT_COM_NUMBER);
        return false;
    }
    if (portChoice == kFirstOtherPort && otherComNumber > kHighestComNumber) {
        ui::MessageBox(this, "There is no COM port above COM16.", Caption(),
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
        SetFocus(IDC_EXPERT_COM_NUMBER);
        return false;
    }
    app_.unit.expertMode = expertChoice == 1 ? 1 : 0;
    if (portChoice == kFirstOtherPort) {
        app_.unit.comIndex = static_cast<int>(otherComNumber) - 1;
    } else {
        app_.unit.comIndex = portChoice;  // -1 when no port button is selected
    }
    if (modelChoice >= 0 && static_cast<std::size_t>(modelChoice) < std::size(kModels)) {
        app_.unit.family = kModels[modelChoice].family;
        app_.unit.unitType = kModels[modelChoice].unitType;
    }
    return true;
}

void CExpertSetupDlg::OnOK() {
    if (StoreChoices())
        EndDialog(ui::IDOK);
}

void CExpertSetupDlg::OnCommand(int id) {
    if (id == IDC_EXPERT_SAVE) {
        if (!StoreChoices())
            return;
        app_.SaveSettings();
        EndDialog(ui::IDOK);
    } else if (id == IDC_EXPERT_BAUD_BUTTON) {
        CBaudRateDlg baudRate(app_);
        baudRate.DoModal();
    }
}
