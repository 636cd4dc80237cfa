#include "res/UploadTypeTemplates.h"

#include <string>
#include <utility>
#include <vector>

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

namespace {

struct Choice {
    int id;
    const char* text;
};

// The choices one under the other, Cancel below them.
ui::DialogTemplate TypeTemplate(int resourceId, std::string caption,
                                const std::vector<Choice>& choices) {
    using ui::ControlKind;
    const int rowHeight = 18;
    const int height = 24 + rowHeight * static_cast<int>(choices.size()) + 24;
    ui::DialogTemplate dialog{resourceId, std::move(caption), {0, 0, 180, height}};
    int y = 12;
    for (const Choice& choice : choices) {
        const unsigned style = dialog.controls.empty() ? ui::kGroupStart : 0u;
        dialog.controls.push_back(
            {choice.id, ControlKind::RadioButton, choice.text, {20, y, 140, 12}, style});
        y += rowHeight;
    }
    dialog.controls.push_back(
        {ui::IDCANCEL, ControlKind::PushButton, "Cancel", {65, y + 6, 50, 14}});
    return dialog;
}

}  // namespace

const ui::DialogTemplate& PoiUploadTypeTemplate() {
    static const ui::DialogTemplate dialog =
        TypeTemplate(IDD_POI_UPLOAD_TYPE, "Pathwick - select upload type",
                     {{IDC_POI_TYPE_CODE, "Program code"}, {IDC_POI_TYPE_POI, "POI Database"}});
    return dialog;
}

const ui::DialogTemplate& DatabaseUploadTypeTemplate() {
    static const ui::DialogTemplate dialog =
        TypeTemplate(IDD_DATABASE_UPLOAD_TYPE, "GPS 7K1/7K2 - select upload type",
                     {{IDC_DB_TYPE_CODE, "Program code"},
                      {IDC_DB_TYPE_DATABASE, "Database"},
                      {IDC_DB_TYPE_BOTH, "Program code and Database"}});
    return dialog;
}

const ui::DialogTemplate& MapUploadType3Template() {
    static const ui::DialogTemplate dialog =
        TypeTemplate(IDD_MAP_UPLOAD_TYPE3, "Select upload type",
                     {{IDC_MAP3_CODE, "Program Code Only"},
                      {IDC_MAP3_BASE, "Base Map Only"},
                      {IDC_MAP3_DETAIL, "Program Detail Map Only"}});
    return dialog;
}

const ui::DialogTemplate& MapUploadType4Template() {
    static const ui::DialogTemplate dialog =
        TypeTemplate(IDD_MAP_UPLOAD_TYPE4, "Select upload type",
                     {{IDC_MAP4_CODE, "Program Code Only"},
                      {IDC_MAP4_BASE, "Base Map Only"},
                      {IDC_MAP4_CODE_AND_BASE, "Program Code and Base Map"},
                      {IDC_MAP4_DETAIL, "Detail Map Only"}});
    return dialog;
}
