#include "res/UploadConfirmTemplate.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

const ui::DialogTemplate& UploadConfirmTemplate() {
    using ui::ControlKind;
    static const ui::DialogTemplate dialog{
        IDD_UPLOAD_CONFIRM,
        "Upload",
        {0, 0, 200, 80},
        {
            {IDC_CONFIRM_PROMPT,
             ControlKind::StaticText,
             "Proceed with software upload?",
             {20, 10, 160, 10},
             ui::kCentered},
            {IDC_VERSION_TEXT,
             ControlKind::EditText,
             "",
             {10, 28, 180, 14},
             ui::kReadOnly | ui::kCentered},
            {ui::IDOK, ControlKind::PushButton, "YES", {40, 54, 50, 14}, ui::kDefaultButton},
            {ui::IDCANCEL, ControlKind::PushButton, "NO", {110, 54, 50, 14}},
        },
    };
    return dialog;
}
