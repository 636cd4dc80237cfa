#include "ui/FileOpenDialog.h"

#include <filesystem>

#include "platform/Utf8Path.h"
#include "ui/Backend.h"
#include "ui/Runtime.h"

namespace ui {

std::optional<std::string> FileOpenDialog(const FileOpenRequest& request) {
    Runtime& runtime = Runtime::Get();
    if (runtime.QuitPosted())
        return std::nullopt;
    std::optional<std::string> chosen = runtime.UseBackend().ShowFileOpen(request);
    runtime.FlushUpdates();
    if (!chosen || chosen->empty())
        return std::nullopt;
    // The system would end the name at a NUL and so name another file: such a text goes
    // back as it came, for the caller to refuse.
    if (chosen->find('\0') != std::string::npos)
        return chosen;

    std::filesystem::path path = platform::PathFromUtf8(*chosen);
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (!error)
        path = absolute.lexically_normal();
    if (!path.has_extension() && !request.defaultExtension.empty()) {
        path += "." + request.defaultExtension;
    }
    return platform::Utf8FromPath(path);
}

std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t bar = filter.find('|', start);
        if (bar == std::string::npos)
            bar = filter.size();
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty())
            break;  // the closing "||"
        pairs.emplace_back(parts[i], parts[i + 1]);
    }
    return pairs;
}

}  // namespace ui
