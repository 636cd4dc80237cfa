// Linked into the program when it is built without a desktop front end.
#include "ui/DesktopBackendFactory.h"

namespace ui {

std::unique_ptr<Backend> CreateDesktopBackend(int& /*argc*/, char** /*argv*/) {
    return nullptr;
}

}  // namespace ui
