#include "res/BaudRateTemplate.h"

#include <string>

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

namespace {

using ui::ControlKind;

constexpr int kRowHeight = 12;

std::vector<ui::ControlTemplate> BaudRateControls() {
    std::vector<ui::ControlTemplate> controls;
    for (std::size_t row = 0; row < kBaudRateChoices.size(); ++row) {
        int speed = kBaudRateChoices[row];
        int y = 10 + static_cast<int>(row) * kRowHeight;
        controls.push_back({IDC_BAUD_FIRST + static_cast<int>(row),
                            ControlKind::RadioButton,
                            speed == 0 ? std::string("Autobaud") : std::to_string(speed) + " Baud",
                            {15, y, 80, 10},
                            row == 0 ? unsigned{ui::kGroupStart} : 0u});
    }
    int buttonsY = 16 + static_cast<int>(kBaudRateChoices.size()) * kRowHeight;
    controls.push_back(
        {ui::IDOK, ControlKind::PushButton, "OK", {15, buttonsY, 45, 14}, ui::kDefaultButton});
    controls.push_back({ui::IDCANCEL, ControlKind::PushButton, "Cancel", {70, buttonsY, 45, 14}});
    return controls;
}

}  // namespace

const ui::DialogTemplate& BaudRateTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_BAUD_RATE, "Set Baud Rate", {0, 0, 130, 166}, BaudRateControls()};
    return dialog;
}
