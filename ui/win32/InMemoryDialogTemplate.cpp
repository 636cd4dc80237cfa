#include "ui/win32/InMemoryDialogTemplate.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/SystemApi.h"
#include "platform/win32/WideText.h"

namespace ui {

namespace {

// The system's predefined control classes, by atom.
constexpr std::uint16_t kButtonClass = 0x0080;
constexpr std::uint16_t kEditClass = 0x0081;
constexpr std::uint16_t kStaticClass = 0x0082;

// The font every dialog of the program was drawn for.
constexpr std::uint16_t kFontPoints = 8;
constexpr char kFontFace[] = "MS Shell Dlg";

// Stacking of controls that have no box in their template.
constexpr int kLooseMargin = 7;
constexpr int kLooseWidth = 120;
constexpr int kLooseHeight = 14;
constexpr int kLooseStep = 18;

bool IsEmpty(const Rect& rect) {
    return rect.width <= 0 || rect.height <= 0;
}

}  // namespace

Rect InMemoryDialogTemplate::LooseBox(std::size_t index) {
    return Rect{kLooseMargin, kLooseMargin + static_cast<int>(index) * kLooseStep, kLooseWidth,
                kLooseHeight};
}

InMemoryDialogTemplate::ItemStyle InMemoryDialogTemplate::StyleOf(const ControlTemplate& control,
                                                                  bool previousIsRadio) {
    const unsigned flags = control.style;
    std::uint32_t style = WS_CHILD | WS_VISIBLE;
    if (flags & kDisabled)
        style |= WS_DISABLED;
    // A radio button continues the group of the one before it unless it starts a new one;
    // everything else begins a group of its own, so arrow keys stay inside a group.
    const bool startsGroup =
        control.kind != ControlKind::RadioButton || !previousIsRadio || (flags & kGroupStart);
    if (startsGroup)
        style |= WS_GROUP;
    const bool centered = (flags & kCentered) != 0;
    switch (control.kind) {
        case ControlKind::PushButton:
            style |= WS_TABSTOP | ((flags & kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            return {kButtonClass, nullptr, style};
        case ControlKind::RadioButton:
            if (startsGroup)
                style |= WS_TABSTOP;
            return {kButtonClass, nullptr, style | BS_AUTORADIOBUTTON};
        case ControlKind::EditText:
            style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
            if (flags & kReadOnly)
                style |= ES_READONLY;
            if (centered)
                style |= ES_CENTER;
            if (flags & kMultiline)
                style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
            return {kEditClass, nullptr, style};
        case ControlKind::StaticText:
            return {kStaticClass, nullptr, style | (centered ? SS_CENTER : SS_LEFT)};
        case ControlKind::GroupBox:
            return {kButtonClass, nullptr, style | BS_GROUPBOX};
        case ControlKind::ProgressBar:
            return {0, L"msctls_progress32", style | WS_BORDER};
        case ControlKind::Icon:
            return {kStaticClass, nullptr, style | SS_ICON | SS_REALSIZEIMAGE};
    }
    return {kStaticClass, nullptr, style};
}

InMemoryDialogTemplate::InMemoryDialogTemplate(const DialogTemplate& dialog) {
    // Boxes in dialog units; controls without one are stacked, and the dialog grows to hold them.
    std::vector<Rect> boxes;
    Rect frame = dialog.rect;
    std::size_t loose = 0;
    for (const ControlTemplate& control : dialog.controls) {
        Rect box = IsEmpty(control.rect) ? LooseBox(loose++) : control.rect;
        frame.width = std::max(frame.width, box.x + box.width + kLooseMargin);
        frame.height = std::max(frame.height, box.y + box.height + kLooseMargin);
        boxes.push_back(box);
    }

    // DLGTEMPLATEEX
    Word(1);       // dlgVer
    Word(0xFFFF);  // signature
    DoubleWord(0);  // helpID
    DoubleWord(0);  // exStyle
    DoubleWord(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SHELLFONT);
    Word(static_cast<std::uint16_t>(dialog.controls.size()));
    Word(0);
    Word(0);
    Word(static_cast<std::uint16_t>(frame.width));
    Word(static_cast<std::uint16_t>(frame.height));
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(dialog.caption);
    Word(kFontPoints);
    Word(FW_NORMAL);
    bytes_.push_back(0);  // italic
    bytes_.push_back(DEFAULT_CHARSET);
    Text(kFontFace);

    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        bool previousIsRadio = i > 0 && dialog.controls[i - 1].kind == ControlKind::RadioButton;
        Item(dialog.controls[i], boxes[i], previousIsRadio);
    }
    Align();
    words_.assign(bytes_.size() / sizeof(std::uint32_t), 0);
    std::memcpy(words_.data(), bytes_.data(), bytes_.size());
}

void InMemoryDialogTemplate::Item(const ControlTemplate& control, const Rect& box,
                                  bool previousIsRadio) {
    Align();
    ItemStyle style = StyleOf(control, previousIsRadio);
    DoubleWord(0);  // helpID
    DoubleWord(0);  // exStyle
    DoubleWord(style.style);
    Word(static_cast<std::uint16_t>(box.x));
    Word(static_cast<std::uint16_t>(box.y));
    Word(static_cast<std::uint16_t>(box.width));
    Word(static_cast<std::uint16_t>(box.height));
    DoubleWord(static_cast<std::uint32_t>(control.id));  // -1 stays 0xFFFFFFFF: IDC_STATIC
    if (style.className != nullptr) {
        for (const wchar_t* c = style.className; *c != 0; ++c)
            Word(static_cast<std::uint16_t>(*c));
        Word(0);
    } else {
        Word(0xFFFF);
        Word(style.classAtom);
    }
    // An icon gets its picture once it exists; the others their text.
    Text(control.kind == ControlKind::Icon ? std::string_view() : std::string_view(control.text));
    Word(0);  // no creation data
}

void InMemoryDialogTemplate::Align() {
    while (bytes_.size() % sizeof(std::uint32_t) != 0)
        bytes_.push_back(0);
}

void InMemoryDialogTemplate::Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void InMemoryDialogTemplate::DoubleWord(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
}

void InMemoryDialogTemplate::Text(std::string_view utf8) {
    for (wchar_t c : platform::WideFromUtf8(utf8))
        Word(static_cast<std::uint16_t>(c));
    Word(0);
}

}  // namespace ui
