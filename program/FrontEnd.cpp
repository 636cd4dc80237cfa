#include "program/FrontEnd.h"

#include <cstdlib>

#include "ui/DesktopBackendFactory.h"
#include "ui/terminal/TerminalBackend.h"

bool FrontEnd::DisplayAvailable() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

std::unique_ptr<ui::Backend> FrontEnd::Choose(ProgramOptions::FrontEnd wanted, int& argc,
                                              char** argv, std::string& error) {
    using Wanted = ProgramOptions::FrontEnd;
    if (wanted == Wanted::Desktop || (wanted == Wanted::Automatic && DisplayAvailable())) {
        if (std::unique_ptr<ui::Backend> desktop = ui::CreateDesktopBackend(argc, argv))
            return desktop;
        if (wanted == Wanted::Desktop) {
            error = "the desktop front end cannot start (not built in, or no display)";
            return nullptr;
        }
    }
    return std::make_unique<ui::TerminalBackend>();
}
