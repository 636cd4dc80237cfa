#include <cstdio>

#include "platform/win32/SystemApi.h"
#include "program/ProgramConsole.h"

void ProgramConsole::Ensure(bool interactive) {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE)
        return;
    // A prompt that started the desktop build has gone back to reading its own input:
    // a dialogue gets a console window of its own, output joins the prompt's.
    bool attached = !interactive && ::AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (!attached && !::AllocConsole())
        return;
    // The C streams were opened on nothing; they follow the console from here on.
    static_cast<void>(std::freopen("CONOUT$", "w", stdout));
    static_cast<void>(std::freopen("CONOUT$", "w", stderr));
    static_cast<void>(std::freopen("CONIN$", "r", stdin));
}
