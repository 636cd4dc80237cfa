#pragma once

#include "drivers/SingleImageUploadDialog.h"

// The driver of upload family 5: program code, a base map or a detail map, or program
// code and then the base map, which the main window finishes with a continuation run.
// Kinds: 0 program code, 1 base map, 2 detail map, 3 code and then base map, 4 nothing.
class MapUploadDialog4 final : public SingleImageUploadDialog {
  public:
    explicit MapUploadDialog4(CUploaderApp& app);

  protected:
    bool PackageAccepted() override;
    int ChooseKind() override;
    // This run loads the code; the base map follows in the continuation run.
    int KindToSend(int kind) const override { return kind == 3 ? 0 : kind; }
};
