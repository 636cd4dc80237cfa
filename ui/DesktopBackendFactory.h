#pragma once

#include <memory>

#include "ui/Backend.h"

namespace ui {

// The desktop front end, or nullptr when it cannot start (no display).
std::unique_ptr<Backend> CreateDesktopBackend(int& argc, char** argv);

}  // namespace ui
