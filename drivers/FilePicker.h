#pragma once

#include <optional>
#include <string>

namespace ui {
class Window;
}

// A file-open dialog of the upload drivers: its title (empty: none of its own), the
// extension added to a name typed without one, and the filter.
struct FilePicker {
    const char* title;
    const char* defaultExtension;
    const char* filter;

    // The chosen path; nothing when the user cancelled or the path cannot be used (the
    // user has been told why). The dialog and the box that refuses a path belong to owner.
    std::optional<std::string> Ask(ui::Window* owner, const std::string& proposedName = {}) const;
    // The same dialog under another title.
    FilePicker Titled(const char* newTitle) const { return {newTitle, defaultExtension, filter}; }
};

// Program code: hex or S-record text.
inline constexpr char kCodeFileFilter[] =
    "hex Files (*.hex)|*.hex|S-record Files (*.srec)|*.srec|All Files (*.*)|*.*||";
// Raw images: databases and maps.
inline constexpr char kRawFileFilter[] =
    "Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*||";

inline constexpr FilePicker kCodePicker{"", "hex", kCodeFileFilter};
inline constexpr FilePicker kDatabasePicker{"", "bin", kRawFileFilter};
inline constexpr FilePicker kMapPicker{"", "img", kRawFileFilter};
