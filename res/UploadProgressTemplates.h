#pragma once

#include "ui/DialogTemplate.h"

// "Upload status": the progress dialog of the code, POI and map uploads.
const ui::DialogTemplate& UploadStatusTemplate();
// "Upload of GPS 7K1/7K2": the progress dialog of the code and database upload.
const ui::DialogTemplate& DatabaseUploadTemplate();
