#include "program/ProgramOptions.h"

#include <string_view>

#include "program/OneShotOptions.h"

ProgramOptions ProgramOptions::Parse(int argc, char** argv) {
    ProgramOptions options;
    // upload, identify and check take their own options.
    if (argc > 1 && OneShotOptions::IsCommand(argv[1])) {
        options.action = Action::OneShot;
        return options;
    }
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.action = Action::Help;
        } else if (arg == "--version") {
            options.action = Action::Version;
        } else if (arg == "--list-ports") {
            options.action = Action::ListPorts;
        } else if (arg == "--text") {
            options.frontEnd = FrontEnd::Text;
        } else if (arg == "--desktop") {
            options.frontEnd = FrontEnd::Desktop;
        } else {
            options.action = Action::Error;
            options.error = "unknown option '" + std::string(arg) + "'";
            return options;
        }
    }
    return options;
}

const char* ProgramOptions::Usage() {
    return "Usage: tarnwick-uploader [--text | --desktop]\n"
           "       tarnwick-uploader upload [--port COMn|auto] [--code FILE] [--data FILE --kind "
           "KIND]\n"
           "                        [--yes] [--expert MODEL [--baud N]] [--timeout S] [--trace "
           "FILE]\n"
           "       tarnwick-uploader identify [--port COMn|auto] [--json]\n"
           "       tarnwick-uploader check --code FILE [--model MODEL]\n"
           "       tarnwick-uploader --list-ports | --version | --help\n"
           "Writes firmware, databases and maps into GPS receivers over a serial line.\n"
           "\n"
           "  --text        use the terminal front end (text on standard input and output)\n"
           "  --desktop     use the desktop front end\n"
           "  --list-ports  show the device behind COM1 to COM4 and every further mapped COM\n"
           "  --version     show the version\n"
           "  --help        show this text\n"
           "\n"
           "Without --text or --desktop the desktop front end is used when it is built in\n"
           "and a display is there (DISPLAY or WAYLAND_DISPLAY), the terminal otherwise.\n"
           "ORVANE_COM<n>=<device> names the device of COM<n>. Settings are read from\n"
           "orvane.cfg and orvane.ini in the working directory; every upload rewrites\n"
           "DEBUG.OUT there.\n"
           "\n"
           "upload, identify and check do one job without questions and end with a status:\n"
           "0 done, 2 usage or a question no option answers, 3 no receiver or the port cannot\n"
           "be opened, 4 image refused, 5 upload failed or --timeout, 130 interrupted.\n"
           "KIND is poi, database, map, base-map or detail-map. See tarnwick-uploader(1).\n";
}
