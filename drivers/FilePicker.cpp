#include "drivers/FilePicker.h"

#include "app/ImagePath.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"

std::optional<std::string> FilePicker::Ask(ui::Window* owner,
                                           const std::string& proposedName) const {
    ui::FileOpenRequest request;
    request.owner = owner;
    request.title = title;
    request.defaultExtension = defaultExtension;
    request.filter = filter;
    request.proposedName = proposedName;
    return ImagePath::Checked(ui::FileOpenDialog(request), owner);
}
