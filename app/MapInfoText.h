#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The map names compared before a map is written: fields of the receiver's map header
// and the "[MAP_INFO]" section that a map image carries somewhere inside it.
class MapInfoText {
  public:
    static constexpr std::string_view kMarker = "[MAP_INFO]";
    // The file is searched through a window of this size.
    static constexpr std::size_t kWindowBytes = 512;

    // Field `index` (0 = first) of a comma-separated header; empty when it is missing.
    static std::string HeaderField(std::string_view header, std::size_t index);

    // The text after the marker (at most kWindowBytes - 1 characters, up to the first
    // zero byte), or nothing when the file does not open or holds no marker.
    static std::optional<std::string> ReadSection(const std::string& path);

    // The value after key up to the first carriage return or the end of the text, or
    // nothing when key is absent.
    static std::optional<std::string> Value(std::string_view text, std::string_view key);
};
