#pragma once

#include <string>

// The command line of tarnwick-uploader.
struct ProgramOptions {
    enum class Action { Run, Help, Version, ListPorts, OneShot, Error };
    enum class FrontEnd { Automatic, Text, Desktop };

    Action action = Action::Run;
    FrontEnd frontEnd = FrontEnd::Automatic;
    std::string error;  // why the command line was refused

    // Reads the options; the desktop front end's own options were taken out before.
    static ProgramOptions Parse(int argc, char** argv);
    static const char* Usage();
};
