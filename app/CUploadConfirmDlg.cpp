#include "app/CUploadConfirmDlg.h"

#include <cstdio>

#include "app/CGpsUnit.h"
#include "image/ImageReader.h"
#include "image/ValidationContext.h"
#include "res/Resource.h"
#include "res/UploadConfirmTemplate.h"

CUploadConfirmDlg::CUploadConfirmDlg(const CGpsUnit& unit, const ValidationContext& imageCheck,
                                     ui::Window* parent)
    : ui::Dialog(UploadConfirmTemplate(), parent) {
    ImageReader reader;
    if (unit.codeChosen != 0) {
        // A raw code image carries no version record: its version is not known.
        if (reader.Open(unit.codePath) && reader.Validate(2, true, imageCheck) != 0 &&
            reader.versionFound) {
            char text[64];
            std::snprintf(text, sizeof text, "Updating to version %u.%02u", reader.versionMajor,
                          reader.versionMinor);
            versionText = text;
        } else {
            versionText = "UPDATING TO UNKNOWN VERSION!";
        }
    } else if (reader.Open(unit.dataPath) && reader.Validate(3, false, imageCheck) != 0) {
        versionText = "Updating map to " + unit.autoMapName;
    }
}

void CUploadConfirmDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(IDC_VERSION_TEXT, versionText);
}
