#pragma once

#include "drivers/SingleImageUploadDialog.h"

// The driver of upload family 15 ("Pathwick"): program code or the POI database.
// Kinds: 0 program code, 1 POI database, 2 nothing.
class PoiUploadDialog final : public SingleImageUploadDialog {
  public:
    static constexpr std::uint32_t kPoiSpaceLimit = 1179644;  // 0x11FFFC

    explicit PoiUploadDialog(CUploaderApp& app);

  protected:
    int ChooseKind() override;
};
