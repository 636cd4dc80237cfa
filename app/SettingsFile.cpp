#include "app/SettingsFile.h"

#include <cstdio>

bool SettingsFile::Read(const char* path, Values& values) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr)
        return false;
    int family = 0;
    int comIndex = 0;
    long baud = 0;
    int fields = std::fscanf(file, "%2d %2d %8ld", &family, &comIndex, &baud);
    std::fclose(file);
    // fscanf fills fields in order and stops at the first it cannot read.
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

    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr)
        return false;
    bool written = std::fputs(line, file) >= 0;
    return std::fclose(file) == 0 && written;
}
