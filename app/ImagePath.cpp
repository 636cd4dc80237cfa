#include "app/ImagePath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/CGpsUnit.h"
#include "platform/FileStatus.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

namespace {

// A NUL cannot be shown; it is written as "\0".
std::string Shown(std::string_view path) {
    std::string shown;
    for (char c : path) {
        if (c == '\0')
            shown += "\\0";
        else
            shown += c;
    }
    return shown;
}

std::string Reason(std::string_view path, bool mustBeReadable) {
    if (path.find('\0') != std::string_view::npos)
        return "its name holds a NUL character";
    if (path.size() > CGpsUnit::kPathLength)
        return "its name is longer than " + std::to_string(CGpsUnit::kPathLength) + " characters";
    const std::string name(path);
    const platform::FileStatus::Kind kind = platform::StatusOf(name).kind;
    if (kind == platform::FileStatus::Kind::Other)
        return "it is not a regular file";
    if (!mustBeReadable)
        return {};
    if (kind == platform::FileStatus::Kind::Missing)
        return "it does not exist";
    // Opened only once known to be a regular file: a FIFO would wait for a writer.
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        return std::string("it cannot be read: ") + std::strerror(errno);
    std::fclose(file);
    return {};
}

}  // namespace

std::string ImagePath::Refusal(std::string_view path, std::string_view source,
                               bool mustBeReadable) {
    const std::string reason = Reason(path, mustBeReadable);
    if (reason.empty())
        return {};
    return std::string(source) + "\n" + Shown(path) + "\nwas not used: " + reason + ".";
}

std::optional<std::string> ImagePath::Checked(std::optional<std::string> path, ui::Window* owner) {
    if (!path)
        return path;
    const std::string refusal = Refusal(*path, "The file", true);
    if (refusal.empty())
        return path;
    ui::MessageBox(owner, refusal, "ERROR", ui::MB_OK | ui::MB_ICONINFORMATION);
    return std::nullopt;
}
