#pragma once

#include "drivers/UploadTypeDialog.h"

// "Pathwick - select upload type": program code or POI database.
class PoiUploadTypeDialog : public UploadTypeDialog {
  public:
    explicit PoiUploadTypeDialog(CUploaderApp& app, ui::Window* parent = nullptr);
};
