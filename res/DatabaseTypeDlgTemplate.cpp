#include "res/DatabaseTypeDlgTemplate.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

const ui::DialogTemplate& DatabaseTypeDlgTemplate() {
    using ui::ControlKind;
    static const ui::DialogTemplate dialog{
        IDD_DATABASE_TYPE,
        "Determining Database Type",
        {0, 0, 220, 82},
        {
            {IDC_STATUS_TEXT,
             ControlKind::EditText,
             "",
             {20, 12, 180, 14},
             ui::kReadOnly | ui::kCentered},
            {IDC_STATIC, ControlKind::StaticText, "Elapsed Time", {40, 34, 60, 10}},
            {IDC_ELAPSED_TEXT,
             ControlKind::EditText,
             "",
             {110, 32, 60, 14},
             ui::kReadOnly | ui::kCentered},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {85, 56, 50, 14}},
        },
    };
    return dialog;
}
