#pragma once

#include <string>
#include <vector>

#include "sim/ReceiverOptions.h"

// The simulator tool's command line: the receiver it plays and how it runs.
class SimCommandLine {
  public:
    // Parses the arguments (without the program name). False with a reason on error.
    bool Parse(const std::vector<std::string>& args, std::string& error);

    static std::string HelpText();

    sim::ReceiverOptions options;
    std::string flashOut;
    bool verbose = false;
    bool help = false;
};
