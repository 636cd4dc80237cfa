#include "ui/terminal/DialogText.h"

#include "ui/Dialog.h"
#include "ui/terminal/ChoiceName.h"

namespace ui {

namespace {

constexpr const char* kIndent = "  ";
constexpr const char* kGreyed = " (greyed)";

bool IsEditable(const ControlState& control) {
    return control.source->kind == ControlKind::EditText &&
           (control.source->style & kReadOnly) == 0;
}

// Text with its line breaks as separate indented lines.
std::string Indented(const std::string& text) {
    std::string out = kIndent;
    for (char c : text) {
        if (c == '\r')
            continue;
        out += c;
        if (c == '\n')
            out += kIndent;
    }
    return out;
}

// A read-only text that says "42%" beside a progress bar.
bool RepeatsProgress(const Dialog& dialog, const ControlState& control) {
    const std::string& text = control.text;
    if (text.size() < 2 || text.back() != '%' ||
        text.find_first_not_of("0123456789") != text.size() - 1)
        return false;
    for (const ControlState& other : dialog.Controls()) {
        if (other.source->kind == ControlKind::ProgressBar)
            return true;
    }
    return false;
}

}  // namespace

std::string DialogText::CaptionLine(const std::string& caption) {
    // Appended, not "literal" + string: g++ 12 warns falsely about that at -O3.
    std::string line = "== ";
    line += caption;
    line += " ==";
    return line;
}

std::string DialogText::ControlLine(const Dialog& dialog, std::size_t index) {
    const ControlState& control = dialog.Controls().at(index);
    const std::string greyed = control.enabled ? "" : kGreyed;
    switch (control.source->kind) {
        case ControlKind::StaticText:
            return control.text.empty() ? std::string()
                                        : Indented(ChoiceName::WithoutMarkers(control.text));
        case ControlKind::GroupBox:
            return control.text.empty()
                       ? std::string()
                       : Indented(std::string("[")
                                      .append(ChoiceName::WithoutMarkers(control.text))
                                      .append("]"));
        case ControlKind::EditText:
            if (!IsEditable(control)) {
                return control.text.empty() || RepeatsProgress(dialog, control)
                           ? std::string()
                           : Indented(control.text);
            }
            return Indented(ChoiceName::Shown(Label(dialog, index)) + " = " + control.text +
                            greyed);
        case ControlKind::RadioButton:
            return Indented(std::string(control.checked ? "(x) " : "( ) ")
                                .append(ChoiceName::Shown(control.text))
                                .append(greyed));
        case ControlKind::ProgressBar:
            return Indented(ProgressLine(Percent(control)));
        case ControlKind::PushButton:
        case ControlKind::Icon:
            return {};
    }
    return {};
}

std::string DialogText::ButtonsLine(const Dialog& dialog) {
    std::string line;
    for (const ControlState& control : dialog.Controls()) {
        if (control.source->kind != ControlKind::PushButton)
            continue;
        line += line.empty() ? "Buttons: " : ", ";
        line += ChoiceName::Shown(control.text);
        if (!control.enabled)
            line += kGreyed;
    }
    return line;
}

int DialogText::Percent(const ControlState& control) {
    long long range = static_cast<long long>(control.rangeHigh) - control.rangeLow;
    if (range <= 0)
        return 0;
    long long done = static_cast<long long>(control.position) - control.rangeLow;
    return static_cast<int>(done * 100 / range);
}

std::string DialogText::ProgressLine(int percent) {
    std::string line = "Progress: ";
    line += std::to_string(percent);
    line += '%';
    return line;
}

const ControlState* DialogText::FindButton(const Dialog& dialog, std::string_view typed,
                                           bool radios) {
    for (const ControlState& control : dialog.Controls()) {
        ControlKind kind = control.source->kind;
        if (kind == ControlKind::PushButton || (radios && kind == ControlKind::RadioButton)) {
            if (ChoiceName::Matches(typed, control.text))
                return &control;
        }
    }
    return nullptr;
}

const ControlState* DialogText::FindEditBox(const Dialog& dialog, std::string_view label) {
    const auto& controls = dialog.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (IsEditable(controls[i]) && ChoiceName::Matches(label, Label(dialog, i)))
            return &controls[i];
    }
    return nullptr;
}

std::string DialogText::Label(const Dialog& dialog, std::size_t index) {
    const auto& controls = dialog.Controls();
    for (std::size_t i = index; i-- > 0;) {
        const ControlTemplate& source = *controls[i].source;
        bool labels =
            source.kind == ControlKind::StaticText || source.kind == ControlKind::GroupBox ||
            source.kind == ControlKind::PushButton || source.kind == ControlKind::RadioButton;
        if (labels && !source.text.empty())
            return source.text;
    }
    return "Value";
}

}  // namespace ui
