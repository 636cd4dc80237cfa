#include "app/MapInfoText.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/FileStatus.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string MapInfoText::HeaderField(std::string_view header, std::size_t index) {
    std::size_t start = 0;
    for (std::size_t field = 0; field < index; ++field) {
        std::size_t comma = header.find(',', start);
        if (comma == std::string_view::npos)
            return {};
        start = comma + 1;
    }
    std::size_t end = header.find(',', start);
    return std::string(header.substr(start, end == std::string_view::npos ? end : end - start));
}

std::optional<std::string> MapInfoText::ReadSection(const std::string& path) {
    // Only a regular file ends: a FIFO could hold the open, a device never run dry.
    if (!platform::StatusOf(path).IsRegular())
        return std::nullopt;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;

    // The last bytes of a window stay for the next search, so a marker that straddles
    // two reads is still found.
    constexpr std::size_t kOverlap = kMarker.size() - 1;
    std::vector<char> window(kWindowBytes);
    std::size_t filled = std::fread(window.data(), 1, kWindowBytes, file.get());
    std::size_t found = std::string_view::npos;
    for (;;) {
        found = std::string_view(window.data(), filled).find(kMarker);
        if (found != std::string_view::npos || filled < kWindowBytes)
            break;
        std::copy(window.end() - kOverlap, window.end(), window.begin());
        filled =
            kOverlap + std::fread(window.data() + kOverlap, 1, kWindowBytes - kOverlap, file.get());
    }
    if (found == std::string_view::npos)
        return std::nullopt;

    std::size_t after = found + kMarker.size();
    std::copy(window.begin() + static_cast<std::ptrdiff_t>(after),
              window.begin() + static_cast<std::ptrdiff_t>(filled), window.begin());
    filled -= after;
    filled += std::fread(window.data() + filled, 1, kWindowBytes - 1 - filled, file.get());
    std::string_view text(window.data(), filled);
    // The section is text; a zero byte ends it.
    return std::string(text.substr(0, text.find('\0')));
}

std::optional<std::string> MapInfoText::Value(std::string_view text, std::string_view key) {
    std::size_t at = text.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string_view value = text.substr(at + key.size());
    return std::string(value.substr(0, value.find('\r')));
}
