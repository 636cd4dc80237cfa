// tarnwick-sample-image: writes a sample image for tests and demonstrations.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/sample-images/SampleImages.h"

namespace {

const char kUsage[] =
    "usage: tarnwick-sample-image KIND [options] -o FILE\n"
    "       tarnwick-sample-image --help\n"
    "kinds:\n"
    "  code          program code as S-records (--product, --version, --size, --line)\n"
    "  family2-code  binary program code of family 2 (\"024\" at offset 1024)\n"
    "  poi           POI database\n"
    "  city          city database (--type 1..4: AMERICAS, EUROPE-AFRICA,\n"
    "                ASIA-AUSTRALIA, WORLDWIDE)\n"
    "  map           base or detail map (--name, --map-version, --offset)\n"
    "  random        random bytes (binary)\n"
    "  srec          random bytes as S3 records at --address\n"
    "options:\n"
    "  --size N        bytes; K and M suffixes for KiB and MiB (default 64K)\n"
    "  --seed N        seed of the random bytes (default 1)\n"
    "  --product CODE  three-character product code (default 024)\n"
    "  --version M.N   firmware version (default 3.16)\n"
    "  --line N        data bytes per S-record line, 1..250 (default 32)\n"
    "  --address A     address of the first byte (srec; default 0x2D004000)\n"
    "  --no-header     no S0 line\n"
    "  --no-terminator no S7 line\n"
    "  --crlf          CR LF line ends\n"
    "  --no-final-eol  no line end after the last line\n"
    "  --type N        city database type (default 4)\n"
    "  --name NAME     map name (default LAKES)\n"
    "  --map-version V map version text (default 1.0)\n"
    "  --offset N      offset of the [MAP_INFO] section (default 1000)\n"
    "  -o FILE         output file\n";

bool ParseNumber(std::string_view text, unsigned long long& value, int base = 0) {
    std::string digits(text);
    unsigned long long scale = 1;
    if (!digits.empty() && (digits.back() == 'K' || digits.back() == 'k'))
        scale = 1024;
    if (!digits.empty() && (digits.back() == 'M' || digits.back() == 'm'))
        scale = 1024 * 1024;
    if (scale != 1)
        digits.pop_back();
    if (digits.empty())
        return false;
    char* end = nullptr;
    value = std::strtoull(digits.c_str(), &end, base) * scale;
    return end != nullptr && *end == '\0';
}

int Fail(const char* message) {
    std::fputs(message, stderr);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("");
    std::string kind = argv[1];
    if (kind == "--help" || kind == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    unsigned long long size = 64 * 1024;
    unsigned long long seed = 1;
    unsigned long long address = samples::kCodeLoadAddress;
    unsigned long long offset = 1000;
    unsigned long long type = 4;
    unsigned long long major = 3;
    unsigned long long minor = 16;
    std::string product = "024";
    std::string name = "LAKES";
    std::string mapVersion = "1.0";
    std::string output;
    samples::SRecordFormat format;

    for (int i = 2; i < argc; ++i) {
        const char* optionText = argv[i];
        std::string_view option = optionText;
        auto value = [&](unsigned long long& target) {
            return i + 1 < argc && ParseNumber(argv[++i], target);
        };
        auto text = [&](std::string& target) {
            if (i + 1 >= argc)
                return false;
            target = argv[++i];
            return true;
        };
        unsigned long long line = 0;
        bool ok = true;
        if (option == "--size") {
            ok = value(size);
        } else if (option == "--seed") {
            ok = value(seed);
        } else if (option == "--address") {
            ok = value(address);
        } else if (option == "--offset") {
            ok = value(offset);
        } else if (option == "--type") {
            ok = value(type);
        } else if (option == "--line") {
            ok = value(line) && line >= 1 && line <= 250;
            format.bytesPerLine = static_cast<std::size_t>(line);
        } else if (option == "--product") {
            ok = text(product);
        } else if (option == "--name") {
            ok = text(name);
        } else if (option == "--map-version") {
            ok = text(mapVersion);
        } else if (option == "--version") {
            std::string version;
            ok = text(version);
            auto dot = version.find('.');
            ok = ok && dot != std::string::npos &&
                 ParseNumber(std::string_view(version).substr(0, dot), major, 10) &&
                 ParseNumber(std::string_view(version).substr(dot + 1), minor, 10);
        } else if (option == "--no-header") {
            format.header = false;
        } else if (option == "--no-terminator") {
            format.terminator = false;
        } else if (option == "--crlf") {
            format.crlf = true;
        } else if (option == "--no-final-eol") {
            format.finalLineEnd = false;
        } else if (option == "-o") {
            ok = text(output);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "bad option or value: %s\n", optionText);
            return Fail("");
        }
    }
    if (output.empty())
        return Fail("no output file (-o)\n");

    auto n = static_cast<std::size_t>(size);
    bool written = false;
    if (kind == "code") {
        written = samples::WriteFile(
            output, samples::CodeImageSRecord(product, static_cast<unsigned>(major),
                                              static_cast<unsigned>(minor), n, seed, format));
    } else if (kind == "family2-code") {
        written = samples::WriteFile(output, samples::Family2Code(n, seed));
    } else if (kind == "poi") {
        written = samples::WriteFile(output, samples::PoiDatabase(n, seed));
    } else if (kind == "city") {
        if (samples::CityHeader(static_cast<int>(type)).empty())
            return Fail("bad --type\n");
        written =
            samples::WriteFile(output, samples::CityDatabase(static_cast<int>(type), n, seed));
    } else if (kind == "map") {
        written = samples::WriteFile(
            output, samples::MapImage(name, mapVersion, static_cast<std::size_t>(offset), n, seed));
    } else if (kind == "random") {
        written = samples::WriteFile(output, samples::RandomBytes(n, seed));
    } else if (kind == "srec") {
        samples::Block block{static_cast<std::uint32_t>(address), samples::RandomBytes(n, seed)};
        written = samples::WriteFile(output, samples::ToSRecords({block}, format));
    } else {
        return Fail("unknown kind\n");
    }
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
