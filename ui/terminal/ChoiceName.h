#pragma once

#include <string>
#include <string_view>

namespace ui {

// How a typed answer names a button, a radio button or a menu command: the text
// without its "&" markers and accelerator, without a trailing "..." or
// a label's colon, in any letter case.
class ChoiceName {
  public:
    // The comparable form: "&About UPLOAD..." becomes "about upload".
    static std::string Normalize(std::string_view text);
    // The form shown to the user: "&About UPLOAD..." becomes "About UPLOAD".
    static std::string Shown(std::string_view text);
    // A label's text as shown: "&&" is one "&", a single "&" marks a mnemonic.
    static std::string WithoutMarkers(std::string_view text);
    static bool Matches(std::string_view typed, std::string_view text);
};

}  // namespace ui
