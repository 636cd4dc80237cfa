#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ui {

class Dialog;
struct ControlState;

// A dialog from its template as lines of text, and the controls a typed answer names.
class DialogText {
  public:
    static std::string CaptionLine(const std::string& caption);
    // The line of the control at index; empty for controls shown elsewhere or not at all
    // (a text that repeats the progress bar's percentage is the progress line's).
    static std::string ControlLine(const Dialog& dialog, std::size_t index);
    // "Buttons: OK, Cancel"; greyed buttons are marked.
    static std::string ButtonsLine(const Dialog& dialog);
    // The progress bar's position in whole percent of its range.
    static int Percent(const ControlState& control);
    static std::string ProgressLine(int percent);

    // The enabled or greyed push button (or, when radios is set, radio button) the
    // typed text names; nullptr when none.
    static const ControlState* FindButton(const Dialog& dialog, std::string_view typed,
                                          bool radios);
    // The editable box whose label is named; nullptr when none.
    static const ControlState* FindEditBox(const Dialog& dialog, std::string_view label);
    // The label of the control at index: the text of the nearest control before it.
    static std::string Label(const Dialog& dialog, std::size_t index);
};

}  // namespace ui
