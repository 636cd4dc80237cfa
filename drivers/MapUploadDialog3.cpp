#include "drivers/MapUploadDialog3.h"

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "drivers/MapRows.h"
#include "drivers/MapUploadTypeDialog3.h"
#include "res/Resource.h"

namespace {

const SingleImageFamily kFamily{
    {
        kCodeRow,
        BaseMapRow(0, EraseEnd::ReaderSize, 0, MapUploadDialog3::kBaseMapSpaceLimit),
        kDetailMapRow,
    },
    3,
};

}  // namespace

MapUploadDialog3::MapUploadDialog3() : SingleImageUploadDialog(kMapLook, kFamily) {
    Prepare();
}

bool MapUploadDialog3::PackageAccepted() {
    if (!SingleImageUploadDialog::PackageAccepted())
        return false;
    if (theApp.unitMapName.empty())
        theApp.ReadMapInfo();
    return true;
}

int MapUploadDialog3::ChooseKind() {
    // Only the select-type dialog chooses a detail map.
    if (theUnit.codeChosen)
        return 0;
    if (theUnit.dataChosen)
        return 1;
    MapUploadTypeDialog3 dialog;
    return KindOfAnswer(dialog.DoModal(),
                        {{IDC_MAP3_CODE, 0}, {IDC_MAP3_BASE, 1}, {IDC_MAP3_DETAIL, 2}});
}
