#pragma once

#include "drivers/UploadTypeDialog.h"

// "Select upload type" of the four-choice map receivers: code, base map, detail map,
// or code and then the base map (in two runs).
class MapUploadTypeDialog4 : public UploadTypeDialog {
  public:
    explicit MapUploadTypeDialog4(CUploaderApp& app, ui::Window* parent = nullptr);
};
