#pragma once

#include <wx/string.h>

#include <string>

namespace ui {

// The framework's texts are UTF-8; the toolkit's strings convert on the way in and out.
inline wxString FromUtf8(const std::string& text) {
    return wxString::FromUTF8(text.data(), text.size());
}

// Takes the string by value: the toolkit's converted buffer lives inside it.
inline std::string ToUtf8(wxString text) {
    wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

}  // namespace ui
