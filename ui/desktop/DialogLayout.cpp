#include "ui/desktop/DialogLayout.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

int Scaled(int units, double scale) {
    return static_cast<int>(std::lround(units * scale));
}

}  // namespace

DialogLayout::DialogLayout(int baseWidth, int baseHeight)
    : baseX_(std::max(baseWidth, 1) / 4.0),
      baseY_(std::max(baseHeight, 1) / 8.0),
      scaleX_(baseX_),
      scaleY_(baseY_) {}

void DialogLayout::Fit(const Rect& units, PixelSize content) {
    if (units.width > 0 && content.width > 0) {
        double wanted = static_cast<double>(content.width) / units.width;
        scaleX_ = std::clamp(wanted, scaleX_, baseX_ * kMaxGrowth);
    }
    if (units.height > 0 && content.height > 0) {
        double wanted = static_cast<double>(content.height) / units.height;
        scaleY_ = std::clamp(wanted, scaleY_, baseY_ * kMaxGrowth);
    }
}

Rect DialogLayout::ToPixels(const Rect& units) const {
    // Edges are scaled, not sizes, so neighbours that touch in units touch in pixels.
    int left = Scaled(units.x, scaleX_);
    int top = Scaled(units.y, scaleY_);
    int right = Scaled(units.x + units.width, scaleX_);
    int bottom = Scaled(units.y + units.height, scaleY_);
    return Rect{left, top, right - left, bottom - top};
}

PixelSize DialogLayout::ClientSize(const Rect& dialogUnits) const {
    return PixelSize{Scaled(dialogUnits.width, scaleX_), Scaled(dialogUnits.height, scaleY_)};
}

}  // namespace ui
