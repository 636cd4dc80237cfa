#pragma once

#include <string>
#include <vector>

namespace ui {

enum class ControlKind {
    PushButton,
    RadioButton,
    EditText,
    StaticText,
    GroupBox,
    ProgressBar,
    Icon,
};

// Style flags of a control.
enum ControlStyle : unsigned {
    kReadOnly = 0x01,       // edit box the user cannot change
    kDisabled = 0x02,       // created disabled
    kDefaultButton = 0x04,  // the push button that Enter presses
    kGroupStart = 0x08,     // first radio button of a group
    kCentered = 0x10,       // centred text
    kMultiline = 0x20,
    kAutoScroll = 0x40,  // text scrolls horizontally when longer than the box
};

// Position and size in dialog units; a layout hint for the drawing backends.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    int id;  // -1 for a control nobody addresses
    ControlKind kind;
    std::string text = {};  // caption, initial text, or the icon's name
    Rect rect = {};
    unsigned style = 0;
};

// A dialog as data: every backend draws every dialog from the same template.
struct DialogTemplate {
    int resourceId;
    std::string caption;
    Rect rect = {};
    std::vector<ControlTemplate> controls = {};
};

}  // namespace ui
