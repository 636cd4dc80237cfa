#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class Window;

struct FileOpenRequest {
    Window* owner = nullptr;
    std::string title;             // empty: the backend's own title
    std::string defaultExtension;  // appended to a name typed without extension
    std::string filter;            // "name|pattern|name|pattern||"
    std::string proposedName;
};

// The common file-open dialog: a full path, or nothing when the user cancelled.
std::optional<std::string> FileOpenDialog(const FileOpenRequest& request);

// The (name, pattern) pairs of a filter in the "name|pattern|...||" form.
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string& filter);

}  // namespace ui
