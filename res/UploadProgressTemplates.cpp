#include "res/UploadProgressTemplates.h"

#include <string>

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

namespace {

// Both progress dialogs look alike; only their caption and control numbers differ.
ui::DialogTemplate ProgressTemplate(int resourceId, std::string caption, int currentFile,
                                    int progress, int status, int percent) {
    using ui::ControlKind;
    return ui::DialogTemplate{
        resourceId,
        std::move(caption),
        {0, 0, 260, 112},
        {
            {IDC_STATIC, ControlKind::StaticText, "Current File", {10, 8, 80, 10}},
            {currentFile, ControlKind::EditText, "", {10, 20, 240, 14}, ui::kReadOnly},
            {IDC_STATIC, ControlKind::StaticText, "Status", {10, 40, 80, 10}},
            {status, ControlKind::EditText, "", {10, 52, 150, 14}, ui::kReadOnly},
            {percent, ControlKind::EditText, "", {200, 52, 50, 14}, ui::kReadOnly | ui::kCentered},
            {progress, ControlKind::ProgressBar, "", {10, 72, 240, 10}},
            {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {105, 90, 50, 14}},
        },
    };
}

}  // namespace

const ui::DialogTemplate& UploadStatusTemplate() {
    static const ui::DialogTemplate dialog =
        ProgressTemplate(IDD_UPLOAD_STATUS, "Upload status", IDC_CURRENT_FILE, IDC_PROGRESS,
                         IDC_UPLOAD_STATUS, IDC_PERCENT_TEXT);
    return dialog;
}

const ui::DialogTemplate& DatabaseUploadTemplate() {
    static const ui::DialogTemplate dialog =
        ProgressTemplate(IDD_DATABASE_UPLOAD, "Upload of GPS 7K1/7K2", IDC_PROMPT_TEXT,
                         IDC_DB_PROGRESS, IDC_DB_STATUS, IDC_PERCENT_TEXT);
    return dialog;
}
