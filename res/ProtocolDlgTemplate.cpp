#include "res/ProtocolDlgTemplate.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

const ui::DialogTemplate& ProtocolDlgTemplate() {
    using ui::ControlKind;
    // The caption is the program's own, spelling included.
    static const ui::DialogTemplate dialog{
        IDD_PROTOCOL,
        "Determing Upload Protocol",
        {0, 0, 220, 104},
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
            {IDC_STATIC,
             ControlKind::StaticText,
             "If unit comes out of software upload mode \"cancel\" and restart",
             {10, 54, 200, 20},
             ui::kCentered | ui::kMultiline},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {85, 80, 50, 14}},
        },
    };
    return dialog;
}
