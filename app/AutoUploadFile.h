#pragma once

#include <string>

// "orvane.ini": names a receiver model and the images of an automatic upload.
//
//   [<display name of a supported receiver, any letter case>]
//   CODE=<path of the program-code image>
//   <a line that is not used>
//   MAP=<path of the map image>
//   <seven characters of any kind><display name of the map>
//
// Lines are read whole, whatever their length: a long line never spills into the
// lines after it, so a path is either used exactly as written or not at all. The file
// itself is read only when it is a regular file of a sensible size (SettingsText).
class AutoUploadFile {
  public:
    static constexpr const char* kFileName = "orvane.ini";

    struct Section {
        int unitType = 1;  // 1: no section matched
        std::string lines[4];
        std::string refusal;  // why the file was not read; empty when read or missing
    };

    // Finds the first section whose header names a supported receiver; a missing or
    // refused file, or no matching section, gives unit type 1.
    static Section ReadSection(const char* path);

    // The path after prefix ("CODE=" or "MAP="), exactly as written, or empty when the
    // line does not start with it or holds nothing after it.
    static std::string PathAfter(const std::string& line, const char* prefix);
};
