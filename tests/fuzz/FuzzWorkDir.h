#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// The fuzz targets read and write files in a private working directory (the readers take
// paths, the loader trace goes to the working directory), made once per process and
// removed when it ends.
namespace fuzzwork {

inline void EnterPrivateDirectory() {
    static const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tarnwick-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(path, ignored);
    });
}

// Writes exactly these bytes to the file, replacing what it held.
inline void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzzwork

// Every target enters its directory before the first input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzwork::EnterPrivateDirectory();
    return 0;
}
