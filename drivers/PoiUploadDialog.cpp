#include "drivers/PoiUploadDialog.h"

#include <climits>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "drivers/PoiUploadTypeDialog.h"
#include "res/Resource.h"
#include "res/UploadProgressTemplates.h"

namespace {

const ProgressLook kLook{UploadStatusTemplate, IDC_CURRENT_FILE, IDC_PROGRESS, IDC_UPLOAD_STATUS,
                         IDC_PERCENT_TEXT,     INT_MAX,          true};

const SingleImageFamily kFamily{
    {
        kCodeRow,
        {false, "CMD,PIUPLOAD", 1, 0, 0, EraseEnd::ReaderSize, 0, "Uploading POI file - ",
         PoiUploadDialog::kPoiSpaceLimit, "Error reading database file", kDatabasePicker},
    },
    2,
};

}  // namespace

PoiUploadDialog::PoiUploadDialog(CUploaderApp& app) : SingleImageUploadDialog(kLook, kFamily, app) {
    Prepare();
}

int PoiUploadDialog::ChooseKind() {
    if (unit_.codeChosen)
        return 0;
    if (unit_.dataChosen)
        return 1;
    PoiUploadTypeDialog dialog(app_);
    return KindOfAnswer(dialog.DoModal(), {{IDC_POI_TYPE_CODE, 0}, {IDC_POI_TYPE_POI, 1}});
}
