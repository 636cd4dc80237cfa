#include "res/HelpTemplates.h"

#include "res/Resource.h"
#include "ui/MessageBoxFlags.h"

namespace {

using ui::ControlKind;

ui::ControlTemplate OkButton(int dialogWidth) {
    return {
        ui::IDOK, ControlKind::PushButton, "OK", {dialogWidth - 57, 7, 50, 14}, ui::kDefaultButton};
}

}  // namespace

const ui::DialogTemplate& AboutTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_ABOUTBOX,
        "About orvane",
        {0, 0, 235, 55},
        {
            {IDC_STATIC, ControlKind::Icon, "application", {11, 17, 20, 20}},
            {IDC_STATIC, ControlKind::StaticText, "Tarnwick Firmware Uploader", {40, 10, 119, 8}},
            OkButton(235),
        },
    };
    return dialog;
}

const ui::DialogTemplate& FileHelpTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_FILE_HELP,
        "File Help",
        {0, 0, 240, 50},
        {
            {IDC_HELP_TEXT1,
             ControlKind::StaticText,
             "Use &File to select code and/or database files to be uploaded to GPS unit.",
             {7, 7, 170, 30}},
            OkButton(240),
        },
    };
    return dialog;
}

const ui::DialogTemplate& ExpertHelpTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_EXPERT_HELP,
        "Expert Help",
        {0, 0, 260, 90},
        {
            {IDC_HELP_TEXT1,
             ControlKind::StaticText,
             "Use &Expert to select unit type and COM port when loading code or data to GPS "
             "unit using SOFTWARE LOAD MODE or MAP UPLOAD.\n\nAfter setting these parameters, "
             "click on &Upload to start the upload process.",
             {7, 7, 190, 76},
             ui::kMultiline},
            OkButton(260),
        },
    };
    return dialog;
}

const ui::DialogTemplate& UploadHelpTemplate() {
    static const ui::DialogTemplate dialog{
        IDD_UPLOAD_HELP,
        "Upload Help",
        {0, 0, 270, 112},
        {
            {IDC_HELP_TEXT1,
             ControlKind::StaticText,
             "Use &Upload to start loading code and/or data files to GPS unit (if not using "
             "&Auto).  Just power on GPS unit and ORVANE will connect, identify the unit type, "
             "and start the upload process.  ",
             {7, 7, 200, 34},
             ui::kMultiline},
            {IDC_HELP_TEXT2,
             ControlKind::StaticText,
             "If code/data files have NOT been selected, the user will be prompted to select "
             "them.",
             {7, 46, 200, 24},
             ui::kMultiline},
            {IDC_HELP_TEXT3,
             ControlKind::StaticText,
             "If using &Expert mode, be sure GPS unit is in SOFTWARE UPLOAD MODE to load "
             "code/pois or in MAP UPLOAD to load map files.",
             {7, 74, 200, 32},
             ui::kMultiline},
            OkButton(270),
        },
    };
    return dialog;
}
