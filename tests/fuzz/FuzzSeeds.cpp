// Writes a few representative seeds per fuzz target, one folder per target under the
// folder given.
//
//   tarnwick-fuzz-seeds <folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tools/sample-images/SampleImages.h"

namespace fs = std::filesystem;

namespace {

using Seeds = std::vector<std::string>;

std::string Text(const samples::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A receiver that says OK to everything: hello, then OKs, each after a quiet period of
// 100 ms (chunk header 0x41: one byte, quiet step 1). Config bit 0: record-numbered; bit 1:
// address check; bit 2: S-record code.
std::string LoaderRun(char config, char sizeByte, int oks) {
    std::string seed{config, sizeByte, '\x41', '\xAA'};
    for (int i = 0; i < oks; ++i)
        seed += "\x41\x55";
    return seed;
}

using namespace std::string_literals;

// Reply bodies, checksums added by the target (mode byte 1), or whole lines whose
// checksums are wrong (mode 0).
const Seeds kReplies = {
    "\1PXRVVER,037,1.23     Pathwick\nPXRVMEM,2048,512,7\nPXRVPOI,001,POI,1.00"s,
    "\1PXRVVER,033,3.01     \nPXRVMEM,2048,0,7\nPXRVMPH,MAP,BASE,DEMOMAP,1.00,2600000"s,
    "\0$PXRVVER,023,2.10     GPS 7K2*00\r\n$PXRVMEM,4,5,6*11\r\n"s,
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-fuzz-seeds <folder>\n");
        return 2;
    }
    const fs::path root = fs::absolute(argv[1]);
    const std::pair<const char*, Seeds> corpora[] = {
        {"fuzz_settings_file", {" 2  0     9600\n", "15  3   115200\n", "-1 99 99999999\n"}},
        {"fuzz_auto_upload_file",
         {"[Pathwick]\r\nCODE=code.hex\r\nnot used\r\nMAP=lakes.img\r\n",
          "[unknown]\nCODE=a\n[Pathwick]\nCODE=" + std::string(300, 'x') + "\n"}},
        {"fuzz_map_info",
         {Text(samples::MapImage("LAKES", "1.2", 100, 1200, 7)),
          // The marker across the boundary of two search windows.
          Text(samples::MapImage("COAST", "2.0", 505, 1500, 8))}},
        {"fuzz_image_reader",
         {samples::CodeImageSRecord("123", 3, 1, samples::kMinCodeSize + 1, 5,
                                    {.bytesPerLine = 250, .crlf = true}),
          samples::ToSRecords(
              {{0x1000, samples::RandomBytes(301, 1)}, {0x2000, samples::RandomBytes(77, 2)}}),
          Text(samples::Family2Code(1500, 3)),
          "S1130000000102030405060708090A0B0C0D0E0F74\nS9030000FC\n"}},
        {"fuzz_command_replies", kReplies},
        {"fuzz_flash_loader",
         {LoaderRun(0x02, 100, 12), LoaderRun(0x03, 100, 8), LoaderRun(0x06, 0, 40),
          LoaderRun(0x07, 0, 40), LoaderRun(0x0A, 100, 12)}}};
    for (const auto& [target, seeds] : corpora) {
        fs::create_directories(root / target);
        int count = 0;
        for (const std::string& seed : seeds)
            samples::WriteFile((root / target / ("seed-" + std::to_string(++count))).string(),
                               seed);
    }
    return 0;
}
