#pragma once

#include <memory>

#include "ui/Backend.h"

namespace ui {

// The desktop front end, when the program was built with one and it can start
// (a display is there); nullptr otherwise. It may take its own options out of argv.
std::unique_ptr<Backend> CreateDesktopBackend(int& argc, char** argv);

}  // namespace ui
