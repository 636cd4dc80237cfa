#include "tools/receiver-sim/SimCommandLine.h"

#include <charconv>
#include <optional>

#include "sim/FaultRule.h"
#include "sim/ReceiverIdentities.h"

namespace {

bool ParseNumber(const std::string& text, std::uint64_t& out) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseBaud(const std::string& text, std::uint32_t& out) {
    std::uint64_t value = 0;
    if (!ParseNumber(text, value) || value < 50 || value > 4000000)
        return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

bool ParseMs(const std::string& text, std::uint32_t& out) {
    std::uint64_t value = 0;
    if (!ParseNumber(text, value) || value > 3600000)
        return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

// "--name value" or "--name=value".
struct Argument {
    std::string name;
    std::optional<std::string> value;
};

}  // namespace

bool SimCommandLine::Parse(const std::vector<std::string>& args, std::string& error) {
    std::optional<std::string> model, productCode, modelText, firmware, memory, poiHeader,
        mapHeader;
    bool noDatabase = false;
    options.timing.chatterMs = 500;

    const auto flags = {"--no-database", "--pace", "--verbose", "--help", "--ready-rec-wait"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        Argument arg;
        const std::string& word = args[i];
        const std::size_t eq = word.find('=');
        arg.name = word.substr(0, eq);
        bool isFlag = false;
        for (const char* f : flags)
            isFlag = isFlag || arg.name == f;
        if (eq != std::string::npos) {
            arg.value = word.substr(eq + 1);
        } else if (!isFlag) {
            if (i + 1 >= args.size()) {
                error = word + " needs a value";
                return false;
            }
            arg.value = args[++i];
        }
        if (isFlag && arg.value) {
            error = arg.name + " takes no value";
            return false;
        }
        const std::string value = arg.value.value_or("");
        std::uint64_t number = 0;
        bool ok = true;
        if (arg.name == "--model") {
            model = value;
        } else if (arg.name == "--product-code") {
            productCode = value;
            ok = value.size() == 3;
        } else if (arg.name == "--model-text") {
            modelText = value;
        } else if (arg.name == "--firmware") {
            firmware = value;
            ok = !value.empty() && value.size() <= 8;
        } else if (arg.name == "--memory") {
            memory = value;
        } else if (arg.name == "--poi-header") {
            poiHeader = value;
        } else if (arg.name == "--no-database") {
            noDatabase = true;
        } else if (arg.name == "--map-header") {
            mapHeader = value;
        } else if (arg.name == "--speed") {
            ok = ParseBaud(value, options.sentenceSpeed);
        } else if (arg.name == "--loader-speed") {
            ok = ParseBaud(value, options.loaderSpeed);
        } else if (arg.name == "--start") {
            ok = value == "sentence" || value == "loader";
            options.startInLoader = value == "loader";
        } else if (arg.name == "--loader-mode") {
            if (value == "auto") {
                options.loaderMode = sim::LoaderMode::Auto;
            } else if (value == "address") {
                options.loaderMode = sim::LoaderMode::Address;
            } else if (value == "record") {
                options.loaderMode = sim::LoaderMode::Record;
            } else {
                ok = false;
            }
        } else if (arg.name == "--after-load") {
            if (value == "auto") {
                options.afterLoad = sim::AfterLoad::Auto;
            } else if (value == "sentence") {
                options.afterLoad = sim::AfterLoad::Sentence;
            } else if (value == "loader") {
                options.afterLoad = sim::AfterLoad::Loader;
            } else if (value == "stay") {
                options.afterLoad = sim::AfterLoad::Stay;
            } else {
                ok = false;
            }
        } else if (arg.name == "--pace") {
            options.timing.pace = true;
        } else if (arg.name == "--fault") {
            sim::FaultRule rule;
            std::string reason;
            if (!sim::FaultRule::Parse(value, rule, reason)) {
                error = "--fault " + value + ": " + reason;
                return false;
            }
            options.faults.push_back(rule);
        } else if (arg.name == "--seed") {
            ok = ParseNumber(value, options.seed);
        } else if (arg.name == "--flash-out") {
            flashOut = value;
            ok = !value.empty();
        } else if (arg.name == "--verbose") {
            verbose = true;
        } else if (arg.name == "--help") {
            help = true;
        } else if (arg.name == "--chatter") {
            ok = ParseMs(value, options.timing.chatterMs);
        } else if (arg.name == "--erase-ms") {
            ok = ParseMs(value, options.timing.eraseMsPerSector);
        } else if (arg.name == "--program-ms") {
            ok = ParseMs(value, options.timing.programMsPerRecord);
        } else if (arg.name == "--reprompt") {
            ok = ParseMs(value, options.timing.repromptMs);
        } else if (arg.name == "--ready-rec-wait") {
            options.readyWithRecWait = true;
        } else if (arg.name == "--sector-size") {
            ok = ParseNumber(value, number) && number >= 4096 && number <= 0x1000000 &&
                 (number & (number - 1)) == 0;
            options.sectorSize = static_cast<std::uint32_t>(number);
        } else {
            error = "unknown option " + arg.name;
            return false;
        }
        if (!ok) {
            error = "bad value '" + value + "' for " + arg.name;
            return false;
        }
    }

    if (model && productCode) {
        error = "--model and --product-code exclude each other";
        return false;
    }
    if (model) {
        const sim::ReceiverIdentities::Row* row = sim::ReceiverIdentities::FindByName(*model);
        if (row == nullptr) {
            error = "unknown model '" + *model + "' (see --help)";
            return false;
        }
        options.SetIdentity(*row);
    } else if (productCode) {
        const sim::ReceiverIdentities::Row* row = sim::ReceiverIdentities::FindByCode(*productCode);
        if (row != nullptr) {
            options.SetIdentity(*row);
        } else {
            options.SetUnknownCode(*productCode);
        }
    }
    if (modelText)
        options.modelText = *modelText;
    if (firmware)
        options.firmware = *firmware;
    if (memory)
        options.memory = *memory;
    if (mapHeader)
        options.mapHeader = *mapHeader;
    if (noDatabase && poiHeader) {
        error = "--no-database and --poi-header exclude each other";
        return false;
    }
    if (noDatabase)
        options.poiHeader = sim::ReceiverOptions::NoDatabaseReply();
    if (poiHeader) {
        const std::string_view region = sim::ReceiverOptions::DatabaseHeader(*poiHeader);
        if (!region.empty()) {
            options.poiHeader = sim::ReceiverOptions::DatabaseHeaderReply(region);
        } else if (poiHeader->size() == 48) {
            options.poiHeader = sim::ReceiverOptions::DatabaseHeaderReply(*poiHeader);
        } else {
            options.poiHeader = *poiHeader;
        }
    }
    return true;
}

std::string SimCommandLine::HelpText() {
    std::string text =
        "Usage: tarnwick-receiver-sim [OPTION]...\n"
        "Plays a GPS receiver on a pseudo-terminal. The first line of standard output is\n"
        "the device path; open it like a serial port. The line speed set on it is the\n"
        "speed the receiver hears the host at: a speed other than the receiver's turns\n"
        "the bytes both ways into garbage. Ends on SIGINT or SIGTERM.\n"
        "\n"
        "Identity:\n"
        "  --model NAME          a receiver by its display name (list below; default Pathwick)\n"
        "  --product-code CODE   a receiver by its three-character product code; a code\n"
        "                        not in the list makes an unsupported receiver\n"
        "  --model-text TEXT     model text at positions 22-32 of the version reply\n"
        "                        (GPS7K1/7K2 rows: \"GPS 7K1/7K2\"; others: the name)\n"
        "  --firmware X.YY       firmware version in the version reply (default 2.05)\n"
        "  --memory A,B,C        numbers of the memory reply (default 4096,2048,1024;\n"
        "                        4096,0,1024 for Solvanta GPS)\n"
        "  --poi-header TEXT     POI/database header reply after \"$PXRVPOI,\": a region\n"
        "                        name (WORLDWIDE, AMERICAS, ASIA-AUSTRALIA, EUROPE-AFRICA)\n"
        "                        or a 48-character database header gets the three-character\n"
        "                        prefix; any other text is sent as given\n"
        "  --no-database         the header reply of a unit without database (0xFF bytes)\n"
        "  --map-header TEXT     map header reply after \"$PXRVMPH,\": comma fields, third the\n"
        "                        map name, fourth its version, fifth a number\n"
        "                        (default MAP,BASE,DEMOMAP,1.00,2600000 on map units)\n"
        "\n"
        "Line and loader:\n"
        "  --speed BAUD          sentence-mode line speed (default 4800)\n"
        "  --loader-speed BAUD   loader line speed (default 115200; 19200 is the other\n"
        "                        speed hosts try)\n"
        "  --start sentence|loader  power on running (default) or in the loader, as\n"
        "                        expert mode expects\n"
        "  --loader-mode auto|address|record  address mode erases and takes addressed\n"
        "                        records; record mode takes numbered records, record n at\n"
        "                        n*1980. auto: CMD,DBUPLOAD, CMD,PIUPLOAD and family 6's\n"
        "                        CMD,MPUPLOAD,1 use address mode, other map loads record mode\n"
        "  --after-load auto|sentence|loader|stay  where the receiver is after a completed\n"
        "                        load (auto: the loader after the first load of a GPS7K1/7K2\n"
        "                        with firmware below 3, which must reload its boot block;\n"
        "                        else sentence)\n"
        "  --pace                bytes take ten bits each at the line rate, both ways\n"
        "  --chatter MS          other NMEA sentences this often while running\n"
        "                        (default 500, 0 for none)\n"
        "  --erase-ms MS         time per erased sector (default 50)\n"
        "  --program-ms MS       time to program a record (default 10)\n"
        "  --sector-size BYTES   flash sector size, a power of two (default 65536)\n"
        "  --reprompt MS         say rec wait (0x77) again after this long without a\n"
        "                        record (default 0: never)\n"
        "  --ready-rec-wait      answer \"ready\" with 0x77 instead of 0x55\n"
        "\n"
        "Faults:\n"
        "  --fault RULE          a fault; repeatable (a disconnect closes the device and\n"
        "                        ends the program). RULE is ";
    text += sim::FaultRule::Syntax();
    text +=
        "  --seed N              seed of the probability faults (default 1)\n"
        "\n"
        "Output:\n"
        "  --flash-out FILE      the programmed memory as Motorola S3 records, rewritten\n"
        "                        after every completed load and at exit\n"
        "  --verbose             log every sentence and loader event on standard error\n"
        "  --help                this text\n"
        "\n"
        "Models (display name, product code; --model takes the first row of a name,\n"
        "--product-code the first row of a code):\n";
    for (const auto& row : sim::ReceiverIdentities::All()) {
        text += "  " + std::string(row.displayName);
        text.append(22 - row.displayName.size(), ' ');
        text += std::string(row.productCode) + "\n";
    }
    return text;
}
