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
// lines after it, so a path is either used exactly as written or not at all.
class AutoUploadFile {
  public:
    static constexpr const char* kFileName = "orvane.ini";

    struct Section {
        int unitType = 1;  // 1: no section matched
        std::string lines[4];
    };

    // Finds the first section whose header names a supported receiver; a missing file or
    // no matching section gives unit type 1.
    static Section ReadSection(const char* path);

    // The path after prefix ("CODE=" or "MAP="), or empty when the line does not start with
    // it, holds nothing after it, or names a path longer than the program can keep.
    static std::string PathAfter(const std::string& line, const char* prefix);
};
