#pragma once

#include "ui/DialogTemplate.h"

namespace ui {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Dialog units to pixels as the platform counts them: a horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its height. Native
// controls here are roomier than the ones the templates were drawn for, so the scale of
// each axis grows, for the whole dialog at once, until every control's content fits its
// box. Growing both axes uniformly keeps every gap of the template: nothing overlaps.
class DialogLayout {
  public:
    // Pixels of four horizontal and eight vertical dialog units.
    DialogLayout(int baseWidth, int baseHeight);

    // Grows the scale so that content of this size fits into a box of these units;
    // 0 in either size asks nothing of that axis.
    void Fit(const Rect& units, PixelSize content);
    Rect ToPixels(const Rect& units) const;
    PixelSize ClientSize(const Rect& dialogUnits) const;

    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }

    // How far a dialog may grow beyond the platform's own scale.
    static constexpr double kMaxGrowth = 1.6;

  private:
    double baseX_;
    double baseY_;
    double scaleX_;
    double scaleY_;
};

}  // namespace ui
