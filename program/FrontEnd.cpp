#include "program/FrontEnd.h"

#include "program/ProgramConsole.h"
#include "ui/DesktopBackendFactory.h"
#include "ui/terminal/TerminalBackend.h"

std::unique_ptr<ui::Backend> FrontEnd::Choose(ProgramOptions::FrontEnd wanted, int& argc,
                                              char** argv, std::string& error) {
    using Wanted = ProgramOptions::FrontEnd;
    // The desktop's own start-up knows whether there is a display to show it on.
    if (wanted != Wanted::Text) {
        if (std::unique_ptr<ui::Backend> desktop = ui::CreateDesktopBackend(argc, argv))
            return desktop;
        if (wanted == Wanted::Desktop) {
            error = "the desktop front end cannot start (not built in, or no display)";
            return nullptr;
        }
    }
    ProgramConsole::Ensure(true);
    return std::make_unique<ui::TerminalBackend>();
}
