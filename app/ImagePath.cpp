#include "app/ImagePath.h"

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

std::string Reason(std::string_view path) {
    if (path.find('\0') != std::string_view::npos)
        return "its name holds a NUL character";
    if (path.size() > CGpsUnit::kPathLength)
        return "its name is longer than " + std::to_string(CGpsUnit::kPathLength) + " characters";
    if (platform::StatusOf(std::string(path)).kind == platform::FileStatus::Kind::Other)
        return "it is not a regular file";
    return {};
}

}  // namespace

std::string ImagePath::Refusal(std::string_view path, std::string_view source) {
    const std::string reason = Reason(path);
    if (reason.empty())
        return {};
    return std::string(source) + "\n" + Shown(path) + "\nwas not used: " + reason + ".";
}

std::optional<std::string> ImagePath::Checked(std::optional<std::string> path, ui::Window* owner) {
    if (!path)
        return path;
    const std::string refusal = Refusal(*path, "The file");
    if (refusal.empty())
        return path;
    ui::MessageBox(owner, refusal, "ERROR", ui::MB_OK | ui::MB_ICONINFORMATION);
    return std::nullopt;
}
