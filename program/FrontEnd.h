#pragma once

#include <memory>
#include <string>

#include "program/ProgramOptions.h"
#include "ui/Backend.h"

// The front end the program runs with: the desktop when it is built in and a display
// is there, the terminal otherwise, unless the command line forces one.
class FrontEnd {
  public:
    // nullptr with a reason in error when the forced desktop cannot start.
    static std::unique_ptr<ui::Backend> Choose(ProgramOptions::FrontEnd wanted, int& argc,
                                               char** argv, std::string& error);
};
