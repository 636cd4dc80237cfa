#include "drivers/FilePicker.h"

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"

std::optional<std::string> FilePicker::Ask(const std::string& proposedName) const {
    ui::FileOpenRequest request;
    request.owner = theApp.mainWindow;
    request.title = title;
    request.defaultExtension = defaultExtension;
    request.filter = filter;
    request.proposedName = proposedName;
    std::optional<std::string> path = ui::FileOpenDialog(request);
    if (path && path->size() > CGpsUnit::kPathLength)
        path->resize(CGpsUnit::kPathLength);
    return path;
}
