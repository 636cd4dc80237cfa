#pragma once

#include "drivers/UploadTypeDialog.h"

// "GPS 7K1/7K2 - select upload type": program code, database, or both in one run.
class DatabaseUploadTypeDialog : public UploadTypeDialog {
  public:
    explicit DatabaseUploadTypeDialog(CUploaderApp& app, ui::Window* parent = nullptr);
};
