#include "res/ConnectDlgTemplate.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

const ui::DialogTemplate& ConnectDlgTemplate() {
    using ui::ControlKind;
    static const ui::DialogTemplate dialog{
        IDD_CONNECT,
        "Establishing Communication with Receiver",
        {0, 0, 220, 82},
        {
            {IDC_STATUS_TEXT,
             ControlKind::EditText,
             "",
             {20, 12, 180, 14},
             ui::kReadOnly | ui::kCentered},
            {IDC_PROMPT_TEXT,
             ControlKind::EditText,
             "",
             {20, 32, 180, 14},
             ui::kReadOnly | ui::kCentered},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {85, 56, 50, 14}},
        },
    };
    return dialog;
}
