#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ui {

// A static text of a template as markup: "&x" underlines x (always, not only while Alt is
// held, as the toolkit does for mnemonics), "&&" is a literal ampersand, and markup
// characters of the text are escaped.
std::string MnemonicToMarkup(std::string_view text);

// The letter a label marks with "&", lower case; 0 when there is none.
char MnemonicLetter(std::string_view text);

// The text as the user sees it: "&x" shows x, "&&" shows "&".
std::string WithoutMnemonics(std::string_view text);

// Breaks a label into lines no wider than width (as measure reports the shown text) at
// spaces; a word longer than a line stays whole. Line breaks of the text are kept.
std::string WrapLabel(std::string_view text, int width,
                      const std::function<int(const std::string&)>& measure);

// A file filter in the "name|pattern|name|pattern||" form as the toolkit's wildcard
// ("name|pattern|name|pattern"); empty when the filter names no pair.
std::string WildcardFromFilter(const std::string& filter);

}  // namespace ui
