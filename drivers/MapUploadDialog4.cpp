#include "drivers/MapUploadDialog4.h"

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "drivers/MapRows.h"
#include "drivers/MapUploadTypeDialog4.h"
#include "res/Resource.h"

namespace {

const SingleImageFamily kFamily{
    {
        kCodeRow, BaseMapRow(1, EraseEnd::WholeSpace, 1, 0), kDetailMapRow,
        kCodeRow,  // code and then base map: this run sends the code
    },
    4,
};

}  // namespace

MapUploadDialog4::MapUploadDialog4(CUploaderApp& app)
    : SingleImageUploadDialog(kMapLook, kFamily, app) {
    Prepare();
}

bool MapUploadDialog4::PackageAccepted() {
    if (app_.unitMapName.empty())
        app_.ReadMapInfo();
    // A package from orvane.ini must carry the receiver's own map, letter case included.
    if (!app_.manualMode && !unit_.expertMode && unit_.dataChosen &&
        app_.unitMapName != app_.imageMapName) {
        RefusePackage();
        return false;
    }
    return true;
}

int MapUploadDialog4::ChooseKind() {
    if (unit_.dataChosen)
        return 1;
    if (unit_.codeChosen)
        return 0;
    MapUploadTypeDialog4 dialog(app_);
    return KindOfAnswer(dialog.DoModal(), {{IDC_MAP4_CODE, 0},
                                           {IDC_MAP4_CODE_AND_BASE, 3},
                                           {IDC_MAP4_BASE, 1},
                                           {IDC_MAP4_DETAIL, 2}});
}
