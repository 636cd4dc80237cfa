#pragma once

#include <filesystem>
#include <string>

namespace platform {

// The program's paths are UTF-8 text. A path made from a narrow string would take the
// bytes in the C library's locale on Windows (a name with "ö" becomes another name), so
// paths are made from and turned back into UTF-8 explicitly; on POSIX nothing changes.
inline std::filesystem::path PathFromUtf8(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace platform
