#include "program/ProgramConsole.h"

// A POSIX program always has its standard streams.
void ProgramConsole::Ensure(bool /*interactive*/) {}
