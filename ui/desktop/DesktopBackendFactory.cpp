#include "ui/DesktopBackendFactory.h"

#include <cstdlib>

#include "ui/desktop/DesktopBackend.h"

namespace ui {

std::unique_ptr<Backend> CreateDesktopBackend(int& argc, char** argv) {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    bool hasDisplay =
        (display != nullptr && *display != '\0') || (wayland != nullptr && *wayland != '\0');
    if (!hasDisplay)
        return nullptr;
    return DesktopBackend::Start(argc, argv);
}

}  // namespace ui
