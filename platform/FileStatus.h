#pragma once

#include <cstdint>
#include <string>

namespace platform {

// What the file system says of a path, links followed: whether it names a regular file,
// and then its size and the time it was last written. Settings and images are read only
// from regular files: opening a FIFO can wait for ever, and a device can read without end.
struct FileStatus {
    enum class Kind { Missing, Regular, Other };

    Kind kind = Kind::Missing;
    std::uint64_t size = 0;
    // In the file system's own units; only compared, never shown.
    std::int64_t modified = 0;

    bool IsRegular() const { return kind == Kind::Regular; }
    bool operator==(const FileStatus&) const = default;
};

// A path that cannot be looked at (missing, or in a folder we may not read) is Missing.
FileStatus StatusOf(const std::string& path);

}  // namespace platform
