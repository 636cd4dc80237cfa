#include "ui/terminal/ChoiceName.h"

#include <cctype>

namespace ui {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::string ChoiceName::WithoutMarkers(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                shown += '&';
                ++i;
            }
            continue;
        }
        shown += text[i];
    }
    return shown;
}

std::string ChoiceName::Shown(std::string_view text) {
    // An accelerator hint follows a tab; it is no part of the name.
    std::string shown = WithoutMarkers(text.substr(0, text.find('\t')));
    std::string_view trimmed = Trim(shown);
    if (trimmed.size() > 3 && trimmed.substr(trimmed.size() - 3) == "...")
        trimmed = Trim(trimmed.substr(0, trimmed.size() - 3));
    // A label's colon is no part of its name either.
    if (trimmed.size() > 1 && trimmed.back() == ':')
        trimmed = Trim(trimmed.substr(0, trimmed.size() - 1));
    return std::string(trimmed);
}

std::string ChoiceName::Normalize(std::string_view text) {
    std::string name = Shown(text);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

bool ChoiceName::Matches(std::string_view typed, std::string_view text) {
    std::string wanted = Normalize(typed);
    return !wanted.empty() && wanted == Normalize(text);
}

}  // namespace ui
