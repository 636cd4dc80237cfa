#pragma once

// "orvane.cfg": upload family, port index and line speed kept between runs, one line
// written as "%2d %2d %8ld\n" and read back with the same widths.
class SettingsFile {
  public:
    static constexpr const char* kFileName = "orvane.cfg";

    struct Values {
        int family;
        int comIndex;
        int baud;
    };

    // Reads what the file holds into values; fields that cannot be read keep their value.
    // Answers whether the file could be opened.
    static bool Read(const char* path, Values& values);
    // Creates or truncates the file; answers false when it cannot be written, or when a
    // value does not fit its field (the file would read back differently) and nothing
    // was written.
    static bool Write(const char* path, const Values& values);
};
