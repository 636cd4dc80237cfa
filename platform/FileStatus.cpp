#include "platform/FileStatus.h"

#include <filesystem>
#include <system_error>

#include "platform/Utf8Path.h"

namespace platform {

FileStatus StatusOf(const std::string& path) {
    namespace fs = std::filesystem;
    FileStatus status;
    std::error_code error;
    const fs::path native = PathFromUtf8(path);
    const fs::file_status found = fs::status(native, error);
    if (error || !fs::exists(found))
        return status;
    if (!fs::is_regular_file(found)) {
        status.kind = FileStatus::Kind::Other;
        return status;
    }
    const std::uintmax_t size = fs::file_size(native, error);
    if (error)
        return status;
    const fs::file_time_type written = fs::last_write_time(native, error);
    if (error)
        return status;
    status.kind = FileStatus::Kind::Regular;
    status.size = size;
    status.modified = static_cast<std::int64_t>(written.time_since_epoch().count());
    return status;
}

}  // namespace platform
