#pragma once

#include <string>
#include <string_view>

namespace platform {

// Text of this program is UTF-8; the system's wide calls take UTF-16.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace platform
