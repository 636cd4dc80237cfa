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

MapUploadDialog4::MapUploadDialog4() : SingleImageUploadDialog(kMapLook, kFamily) {
    Prepare();
}

bool MapUploadDialog4::PackageAccepted() {
    if (theApp.unitMapName.empty())
        theApp.ReadMapInfo();
    // A package from orvane.ini must carry the receiver's own map, letter case included.
    if (!theApp.manualMode && !theUnit.expertMode && theUnit.dataChosen &&
        theApp.unitMapName != theApp.imageMapName) {
        RefusePackage();
        return false;
    }
    return true;
}

int MapUploadDialog4::ChooseKind() {
    if (theUnit.dataChosen)
        return 1;
    if (theUnit.codeChosen)
        return 0;
    MapUploadTypeDialog4 dialog;
    return KindOfAnswer(dialog.DoModal(), {{IDC_MAP4_CODE, 0},
                                           {IDC_MAP4_CODE_AND_BASE, 3},
                                           {IDC_MAP4_BASE, 1},
                                           {IDC_MAP4_DETAIL, 2}});
}
