#include "res/UploadFileTemplate.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

const ui::DialogTemplate& UploadFileTemplate() {
    using ui::ControlKind;
    static const ui::DialogTemplate dialog{
        IDD_UPLOAD_FILE,
        "UPLOAD FILE",
        {0, 0, 280, 80},
        {
            {IDC_UPLOAD_FILE_BUTTON,
             ControlKind::RadioButton,
             "Upload File",
             {10, 12, 60, 12},
             ui::kGroupStart},
            // The name is only shown: the driver sends the file of its own path.
            {IDC_UPLOAD_FILE_NAME,
             ControlKind::EditText,
             "",
             {76, 10, 194, 14},
             ui::kReadOnly | ui::kAutoScroll},
            {IDC_CHANGE_FILE_BUTTON, ControlKind::RadioButton, "Change file", {10, 32, 60, 12}},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {220, 58, 50, 14}},
        },
    };
    return dialog;
}
