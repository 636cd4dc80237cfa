#pragma once

#include <string>

// "orvane.cfg": upload family, port index and line speed kept between runs, one line
// written as "%2d %2d %8ld\n" and read back with the same widths.
class SettingsFile {
  public:
    static constexpr const char* kFileName = "orvane.cfg";
    // Write makes the new file under the old name with this added, then renames it.
    static constexpr const char* kTemporarySuffix = ".new";

    struct Values {
        int family;
        int comIndex;
        int baud;
    };

    // Reads what the file holds into values; fields that cannot be read keep their value.
    // Answers whether the file could be read. A file that is not a regular one, or far
    // too large, is not read; refusal then says why (empty otherwise).
    static bool Read(const char* path, Values& values, std::string* refusal = nullptr);
    // Replaces the file, or leaves the old one as it was: answers false when the new one
    // cannot be written whole, or when a value does not fit its field (the file would
    // read back differently).
    static bool Write(const char* path, const Values& values);
};
