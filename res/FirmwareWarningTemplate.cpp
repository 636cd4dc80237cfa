#include "res/FirmwareWarningTemplate.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

const ui::DialogTemplate& FirmwareWarningTemplate() {
    using ui::ControlKind;
    static const ui::DialogTemplate kTemplate{
        IDD_FIRMWARE_WARNING,
        "WARNING - FIRMWARE PROBLEM",
        {0, 0, 320, 92},
        {
            {IDC_WARNING_ICON, ControlKind::Icon, "warning", {8, 8, 21, 20}},
            {IDC_WARNING_UPPER,
             ControlKind::EditText,
             "",
             {0, 34, 320, 14},
             ui::kReadOnly | ui::kCentered},
            {IDC_WARNING_LOWER,
             ControlKind::EditText,
             "",
             {0, 52, 320, 14},
             ui::kReadOnly | ui::kCentered},
            {ui::IDOK, ControlKind::PushButton, "Continue", {95, 72, 56, 14}, ui::kDefaultButton},
            {ui::IDCANCEL, ControlKind::PushButton, "Abort", {169, 72, 56, 14}},
        }};
    return kTemplate;
}
