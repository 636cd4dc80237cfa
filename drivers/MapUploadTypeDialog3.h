#pragma once

#include "drivers/UploadTypeDialog.h"

// "Select upload type" of the three-choice map receivers: code, base map or detail map.
class MapUploadTypeDialog3 : public UploadTypeDialog {
  public:
    explicit MapUploadTypeDialog3(CUploaderApp& app, ui::Window* parent = nullptr);
};
