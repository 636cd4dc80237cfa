#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ui {
class Window;
}

// The path of an image as a file dialog or "orvane.ini" gives it. The receiver object keeps
// paths of CGpsUnit::kPathLength characters; a longer path is refused, never cut, since
// the cut path could name another file. So is a path with a NUL inside (the file system
// would see only what comes before it), and one that names something other than a
// regular file. A missing file is no reason here: whoever reads the path says what that
// means.
class ImagePath {
  public:
    // Why path cannot be used, naming it ("<source>\n<path>\nwas not used: <reason>."), or
    // empty when it can. source says where the path came from, as "The file".
    static std::string Refusal(std::string_view path, std::string_view source);
    // The path a file dialog answered, when it can be used; otherwise the user is told why
    // not, in an "ERROR" box owned by owner, and nothing is answered, as if the dialog was
    // cancelled.
    static std::optional<std::string> Checked(std::optional<std::string> path, ui::Window* owner);
};
