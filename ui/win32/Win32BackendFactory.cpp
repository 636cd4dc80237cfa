#include "ui/DesktopBackendFactory.h"
#include "ui/win32/Win32Backend.h"

namespace ui {

// Windows always has its desktop.
std::unique_ptr<Backend> CreateDesktopBackend(int& /*argc*/, char** /*argv*/) {
    return Win32Backend::Start();
}

}  // namespace ui
