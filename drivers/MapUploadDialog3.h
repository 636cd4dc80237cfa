#pragma once

#include "drivers/SingleImageUploadDialog.h"

// The driver of upload family 6 ("Solvanta GPS"): program code, a base map or a detail
// map. Kinds: 0 program code, 1 base map, 2 detail map, 3 nothing.
class MapUploadDialog3 final : public SingleImageUploadDialog {
  public:
    static constexpr std::uint32_t kBaseMapSpaceLimit = 2555872;  // 0x26FFE0

    explicit MapUploadDialog3(CUploaderApp& app);

  protected:
    bool PackageAccepted() override;
    int ChooseKind() override;
};
