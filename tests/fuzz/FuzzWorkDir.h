#pragma once

#include <cstdint>
#include <string>

#include "tests/support/TempWorkDir.h"

// The fuzz targets read and write files in a private working directory (the readers take
// paths, the loader trace goes to the working directory), made once per process.
namespace fuzzwork {

inline void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    TempWorkDir::Write(name, std::string(reinterpret_cast<const char*>(data), size));
}

}  // namespace fuzzwork

// Every target enters its directory before the first input; it goes when the process ends.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static TempWorkDir dir;
    return 0;
}
