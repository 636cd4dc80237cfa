#include <filesystem>
#include <system_error>

#include "tests/support/SpecialFiles.h"

// Windows has no FIFO in the file system: a folder is the thing that exists and is not a
// regular file.
NonRegularFile::NonRegularFile(std::string path, std::string_view) : path_(std::move(path)) {
    std::error_code error;
    made_ = std::filesystem::create_directory(path_, error);
}

NonRegularFile::~NonRegularFile() {
    std::error_code error;
    if (made_)
        std::filesystem::remove(path_, error);
}

// No per-process limit on file size here.
FullDisk::FullDisk() = default;
FullDisk::~FullDisk() = default;
