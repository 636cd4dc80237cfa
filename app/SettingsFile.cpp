#include "app/SettingsFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/SettingsText.h"

bool SettingsFile::Read(const char* path, Values& values, std::string* refusal) {
    std::string text;
    std::string why;
    const SettingsText::Result result = SettingsText::Read(path, text, why);
    if (refusal != nullptr)
        *refusal = why;
    if (result != SettingsText::Result::Read)
        return false;
    int family = 0;
    int comIndex = 0;
    long baud = 0;
    int fields = std::sscanf(text.c_str(), "%2d %2d %8ld", &family, &comIndex, &baud);
    // sscanf fills fields in order and stops at the first it cannot read.
    if (fields >= 1)
        values.family = family;
    if (fields >= 2)
        values.comIndex = comIndex;
    if (fields >= 3)
        values.baud = static_cast<int>(baud);
    return true;
}

bool SettingsFile::Write(const char* path, const Values& values) {
    char line[64];
    std::snprintf(line, sizeof line, "%2d %2d %8ld\n", values.family, values.comIndex,
                  static_cast<long>(values.baud));
    // A value wider than its field would read back cut and shift the fields after it:
    // such a file is not written at all, and the one already there stays.
    int family = 0;
    int comIndex = 0;
    long baud = 0;
    if (std::sscanf(line, "%2d %2d %8ld", &family, &comIndex, &baud) != 3 ||
        family != values.family || comIndex != values.comIndex || baud != values.baud)
        return false;

    // The new file is written beside the old one and takes its place only once it is
    // whole: a write that fails (a full disk, a read-only folder) leaves the old one.
    const std::string temporary = std::string(path) + kTemporarySuffix;
    std::error_code error;
    std::filesystem::remove(temporary, error);  // a leftover, whatever it is
    std::FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr)
        return false;
    const bool written = std::fputs(line, file) >= 0;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) {
        std::filesystem::rename(temporary, path, error);
        if (!error)
            return true;
    }
    std::filesystem::remove(temporary, error);
    return false;
}
