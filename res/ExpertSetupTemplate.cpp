#include "res/ExpertSetupTemplate.h"

#include <string>

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

namespace {

using ui::ControlKind;

constexpr int kRowHeight = 12;

std::vector<ui::ControlTemplate> ExpertSetupControls() {
    std::vector<ui::ControlTemplate> controls;
    const int unitRows = static_cast<int>(kExpertModelNames.size());
    controls.push_back(
        {IDC_STATIC, ControlKind::GroupBox, "Unit Type", {7, 7, 110, 16 + unitRows * kRowHeight}});
    for (int row = 0; row < unitRows; ++row) {
        controls.push_back({IDC_EXPERT_UNIT_FIRST + row,
                            ControlKind::RadioButton,
                            std::string(kExpertModelNames[static_cast<std::size_t>(row)]),
                            {14, 19 + row * kRowHeight, 98, 10},
                            row == 0 ? unsigned{ui::kGroupStart} : 0u});
    }

    controls.push_back({IDC_STATIC, ControlKind::GroupBox, "Com Port", {125, 7, 90, 80}});
    const char* ports[] = {"COM 1", "COM 2", "COM 3", "COM 4", "COM"};
    for (int row = 0; row < 5; ++row) {
        controls.push_back({IDC_EXPERT_COM1 + row,
                            ControlKind::RadioButton,
                            ports[row],
                            {132, 19 + row * kRowHeight, 40, 10},
                            row == 0 ? unsigned{ui::kGroupStart} : 0u});
    }
    controls.push_back({IDC_EXPERT_COM_NUMBER, ControlKind::EditText, "", {174, 65, 30, 12}, 0u});

    controls.push_back({IDC_STATIC, ControlKind::GroupBox, "Expert Upload", {223, 7, 65, 44}});
    controls.push_back(
        {IDC_EXPERT_OFF, ControlKind::RadioButton, "Off", {230, 19, 50, 10}, ui::kGroupStart});
    controls.push_back({IDC_EXPERT_ON, ControlKind::RadioButton, "On", {230, 31, 50, 10}});

    controls.push_back({IDC_EXPERT_SAVE, ControlKind::PushButton, "Save", {125, 100, 50, 14}});
    controls.push_back({ui::IDCANCEL, ControlKind::PushButton, "Cancel", {181, 100, 50, 14}});
    controls.push_back(
        {ui::IDOK, ControlKind::PushButton, "OK", {237, 100, 50, 14}, ui::kDefaultButton});
    controls.push_back({IDC_EXPERT_BAUD_BUTTON,
                        ControlKind::PushButton,
                        "Non-Standard Baud Rates",
                        {125, 122, 162, 14},
                        ui::kDisabled});
    return controls;
}

}  // namespace

const ui::DialogTemplate& ExpertSetupTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_EXPERT_SETUP, "Expert Setup", {0, 0, 295, 190}, ExpertSetupControls()};
    return dialog;
}
