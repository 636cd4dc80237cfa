#include "program/OneShotOptions.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A whole number from first to last; nothing else in the text.
bool ReadNumber(const std::string& text, long first, long last, long& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return value >= first && value <= last;
}

constexpr long kLongestTimeoutS = 7L * 24 * 3600;
constexpr long kFastestBaud = 115200;

}  // namespace

bool OneShotOptions::IsCommand(std::string_view word) {
    return word == "upload" || word == "identify" || word == "check";
}

OneShotOptions OneShotOptions::Parse(int argc, char** argv) {
    OneShotOptions options;
    std::string_view command = argv[1];
    options.command = command == "upload"     ? Command::Upload
                      : command == "identify" ? Command::Identify
                                              : Command::Check;
    auto fail = [&](std::string text) {
        options.error = std::move(text);
        return options;
    };
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return false;
            into = argv[++i];
            return true;
        };
        std::string text;
        long number = 0;
        const bool upload = options.command == Command::Upload;
        if (arg == "--port" && options.command != Command::Check) {
            if (!value(text))
                return fail("--port needs COMn or auto");
            if (text == "auto") {
                options.portIndex = -1;
            } else if ((text.rfind("COM", 0) == 0 || text.rfind("com", 0) == 0) &&
                       ReadNumber(text.substr(3), 1, kHighestPort, number)) {
                options.portIndex = static_cast<int>(number) - 1;
            } else {
                return fail("--port " + text + ": give COM1 to COM255, or auto");
            }
        } else if (arg == "--code" && options.command != Command::Identify) {
            if (!value(options.codeFile))
                return fail("--code needs a file");
        } else if (upload && arg == "--data") {
            if (!value(options.dataFile))
                return fail("--data needs a file");
        } else if (upload && arg == "--kind") {
            if (!value(options.kind) ||
                std::find(std::begin(kKinds), std::end(kKinds), options.kind) == std::end(kKinds))
                return fail("--kind takes poi, database, map, base-map or detail-map");
        } else if (upload && arg == "--yes") {
            options.yes = true;
        } else if (upload && arg == "--expert") {
            if (!value(options.expertModel))
                return fail("--expert needs the receiver's model");
        } else if (upload && arg == "--baud") {
            if (!value(text) || !ReadNumber(text, 1, kFastestBaud, number))
                return fail("--baud needs a speed in bit/s");
            options.baud = static_cast<int>(number);
        } else if (upload && arg == "--timeout") {
            if (!value(text) || !ReadNumber(text, 1, kLongestTimeoutS, number))
                return fail("--timeout needs whole seconds");
            options.timeoutMs = static_cast<std::uint64_t>(number) * 1000;
        } else if (upload && arg == "--trace") {
            if (!value(options.traceFile))
                return fail("--trace needs a file");
        } else if (options.command == Command::Identify && arg == "--json") {
            options.json = true;
        } else if (options.command == Command::Check && arg == "--model") {
            if (!value(options.model))
                return fail("--model needs a model's name");
        } else {
            return fail("unknown option '" + arg + "' for " + std::string(command));
        }
    }
    if (options.command == Command::Upload) {
        if (options.codeFile.empty() && options.dataFile.empty())
            return fail("upload needs --code FILE or --data FILE");
        if (options.dataFile.empty() != options.kind.empty())
            return fail("--data and --kind go together");
        if (options.baud != 0 && options.expertModel.empty())
            return fail("--baud goes with --expert");
        if (!options.expertModel.empty() && options.portIndex < 0)
            return fail("--expert needs --port COMn");
    }
    if (options.command == Command::Check && options.codeFile.empty())
        return fail("check needs --code FILE");
    return options;
}
