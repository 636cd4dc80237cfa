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

MapUploadDialog3::MapUploadDialog3(CUploaderApp& app)
    : SingleImageUploadDialog(kMapLook, kFamily, app) {
    Prepare();
}

bool MapUploadDialog3::PackageAccepted() {
    if (!SingleImageUploadDialog::PackageAccepted())
        return false;
    if (app_.unitMapName.empty())
        app_.ReadMapInfo();
    return true;
}

int MapUploadDialog3::ChooseKind() {
    // Only the select-type dialog chooses a detail map.
    if (unit_.codeChosen)
        return 0;
    if (unit_.dataChosen)
        return 1;
    MapUploadTypeDialog3 dialog(app_);
    return KindOfAnswer(dialog.DoModal(),
                        {{IDC_MAP3_CODE, 0}, {IDC_MAP3_BASE, 1}, {IDC_MAP3_DETAIL, 2}});
}
