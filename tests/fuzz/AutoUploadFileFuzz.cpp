// "orvane.ini" of any content: the section search and the path lines never fault, and a
// path taken from a line is exactly what the line holds after its prefix.
#include <cstdlib>
#include <string>

#include "app/AutoUploadFile.h"
#include "tests/fuzz/FuzzWorkDir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzwork::WriteFile(AutoUploadFile::kFileName, data, size);
    const AutoUploadFile::Section section = AutoUploadFile::ReadSection(AutoUploadFile::kFileName);
    for (const std::string& line : section.lines) {
        for (const char* prefix : {"CODE=", "MAP="}) {
            const std::string path = AutoUploadFile::PathAfter(line, prefix);
            if (!path.empty() && line != prefix + path)
                std::abort();
        }
    }
    return 0;
}
