// "orvane.cfg" of any content: read back without a fault, and what was read writes and
// reads back the same whenever it fits the file's fields.
#include <cstdlib>

#include "app/SettingsFile.h"
#include "tests/fuzz/FuzzWorkDir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzwork::WriteFile(SettingsFile::kFileName, data, size);
    SettingsFile::Values values{-7, -7, -7};
    if (!SettingsFile::Read(SettingsFile::kFileName, values))
        std::abort();
    if (!SettingsFile::Write(SettingsFile::kFileName, values))
        return 0;  // a value that does not fit its field is refused, nothing written
    SettingsFile::Values again{0, 0, 0};
    if (!SettingsFile::Read(SettingsFile::kFileName, again) || again.family != values.family ||
        again.comIndex != values.comIndex || again.baud != values.baud)
        std::abort();
    return 0;
}
