// Writes the seed corpora of the fuzz targets, one folder per target under the folder
// given: sample images and files from the sample image library, and what the simulated
// receiver says, recorded as it answers the command channel and a whole upload.
//
//   tarnwick-fuzz-seeds <folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "command/CommandSentence.h"
#include "image/ImageReader.h"
#include "loader/UploadRun.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "sim/ReceiverIdentities.h"
#include "sim/SimulatedReceiver.h"
#include "tests/drivers/LineTap.h"
#include "tests/fuzz/LoaderFuzzInput.h"
#include "tests/support/LoaderLine.h"
#include "tools/sample-images/SampleImages.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kUploadLimitMs = 600000;
constexpr std::uint64_t kReplyWaitMs = 1000;

using Seeds = std::vector<std::string>;

std::string Text(const samples::Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

Seeds SettingsSeeds() {
    return {" 2  0     9600\n", "15  3   115200\n", " 6 11        0\n", "5 1 4800", "",
            "-1 99 99999999\n"};
}

Seeds AutoUploadSeeds() {
    Seeds seeds;
    for (const auto& row : sim::ReceiverIdentities::All()) {
        seeds.push_back("[" + std::string(row.displayName) +
                        "]\r\nCODE=code.hex\r\nnot used\r\nMAP=lakes.img\r\n1234567LAKES\r\n");
    }
    seeds.push_back("[unknown]\nCODE=a\n[" +
                    std::string(sim::ReceiverIdentities::All()[0].displayName) +
                    "]\nCODE=" + std::string(300, 'x') + "\n");
    return seeds;
}

Seeds MapInfoSeeds() {
    return {Text(samples::MapImage("LAKES", "1.2", 100, 1200, 7)),
            // The marker across the boundary of two search windows.
            Text(samples::MapImage("COAST", "2.0", 505, 1500, 8)),
            samples::MapInfoSection("HILLS", "3.1"), "MAP,LAKES,1.2,EUROPE,,"};
}

Seeds ImageSeeds() {
    return {samples::CodeImageSRecord("123", 3, 1, samples::kMinCodeSize, 5),
            samples::CodeImageSRecord("123", 3, 1, samples::kMinCodeSize + 1, 5,
                                      {.bytesPerLine = 250, .crlf = true}),
            "\xEF\xBB\xBF" + samples::CodeImageSRecord(
                                 "024", 2, 7, samples::kMinCodeSize, 6,
                                 {.bytesPerLine = 7, .header = false, .finalLineEnd = false}),
            // Two runs with a gap between them.
            samples::ToSRecords(
                {{0x1000, samples::RandomBytes(301, 1)}, {0x2000, samples::RandomBytes(77, 2)}}),
            Text(samples::Family2Code(1500, 3)), Text(samples::PoiDatabase(600, 4)),
            "S1130000000102030405060708090A0B0C0D0E0F74\nS9030000FC\n"};
}

// The simulated receiver of one model answers the queries of the command channel.
std::string Replies(const sim::ReceiverIdentities::Row& row) {
    sim::ReceiverOptions options;
    options.SetIdentity(row);
    sim::SimulatedReceiver receiver(options);
    receiver.PowerOn(0);
    receiver.OnLineParams({.baud = options.sentenceSpeed});
    std::vector<std::uint8_t> replies;
    std::uint64_t now = 0;
    for (const char* command : {"CMD,VERSION", "CMD,MEMORY", "CMD,PIH", "CMD,MPH"}) {
        const std::string sentence = CommandSentence::Encode(command);
        receiver.OnHostBytes(reinterpret_cast<const std::uint8_t*>(sentence.data()),
                             sentence.size(), now);
        now += kReplyWaitMs;
        receiver.Service(now, replies);
    }
    return std::string(replies.begin(), replies.end());
}

Seeds ReplySeeds() {
    Seeds seeds;
    for (const auto& row : sim::ReceiverIdentities::All()) {
        const std::string wire = Replies(row);
        seeds.push_back(std::string(1, '\0') + wire);
        // The bodies alone, for the mode that adds the checksums.
        std::string bodies(1, '\1');
        for (std::size_t at = 0; (at = wire.find('$', at)) != std::string::npos;) {
            const std::size_t star = wire.find('*', at);
            if (star == std::string::npos)
                break;
            bodies.append(wire, at, star - at).push_back('\n');
            at = star;
        }
        if (bodies.size() > 1)
            bodies.pop_back();
        seeds.push_back(bodies);
    }
    return seeds;
}

// Records what the receiver sends as fuzz input chunks.
class RecordingPeer : public LineTap {
  public:
    RecordingPeer(sim::SimulatedReceiver& receiver, std::vector<std::uint8_t>& input)
        : LineTap(receiver), input_(input) {}
    void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) override {
        const std::size_t before = toHost.size();
        LineTap::Service(nowMs, toHost);
        if (toHost.size() == before)
            return;
        loaderfuzz::AppendChunks(input_, nowMs - lastMs_, toHost.data() + before,
                                 toHost.size() - before);
        lastMs_ = nowMs;
    }

  private:
    std::vector<std::uint8_t>& input_;
    std::uint64_t lastMs_ = 0;
};

// A whole upload to the simulated receiver, with these faults, as fuzz input.
std::vector<std::uint8_t> RecordUpload(const loaderfuzz::Setup& setup, std::uint8_t sizeByte,
                                       std::vector<const char*> faults) {
    const std::string file = setup.ImageFile();
    samples::WriteFile("image", file);

    sim::ReceiverOptions options;
    options.startInLoader = true;
    options.afterLoad = sim::AfterLoad::Stay;
    options.loaderMode = setup.recordNumbered ? sim::LoaderMode::Record : sim::LoaderMode::Address;
    for (const char* text : faults) {
        std::string error;
        if (!sim::FaultRule::Parse(text, options.faults.emplace_back(), error))
            std::fprintf(stderr, "fault %s: %s\n", text, error.c_str());
    }
    std::vector<std::uint8_t> input = {setup.ConfigByte(), sizeByte};
    platform::VirtualClock clock;
    platform::ScopedClock clockGuard{clock};
    sim::SimulatedReceiver receiver(options);
    RecordingPeer peer(receiver, input);
    platform::MemorySerialBank bank;
    bank.Attach(0, &peer);
    {
        LoaderLine line;
        line.Open(0, 115200);
        ImageReader reader;
        reader.Open("image");
        const std::uint32_t eraseEnd =
            setup.sRecord ? reader.endAddress + 0x2D000000 : setup.loadAddress + reader.size;
        UploadRun run(
            {{.uploadFamily = setup.family}, setup.recordNumbered, eraseEnd, setup.addressCheck},
            line.link.get(), {{&reader, setup.loadAddress}});
        if (run.RunToEnd(kUploadLimitMs) != UploadRun::Outcome::Complete)
            std::fprintf(stderr, "seed upload (config %02x) did not complete\n", input[0]);
        run.Engine().CloseTrace();
    }
    return input;
}

Seeds LoaderSeeds() {
    const std::vector<std::vector<const char*>> faultSets = {
        {}, {"debug:every=2"}, {"recnum:at=2"}, {"resend81:every=2"}, {"reset:at=2"}};
    Seeds seeds;
    for (bool sRecord : {false, true}) {
        for (bool numbered : {false, true}) {
            const std::uint8_t sizeByte = sRecord ? 0 : 100;
            loaderfuzz::Setup setup = loaderfuzz::Setup::From(
                static_cast<std::uint8_t>((numbered ? 1 : 0) | 2 | (sRecord ? 4 : 0)), sizeByte);
            for (const auto& faults : faultSets) {
                const auto input = RecordUpload(setup, sizeByte, faults);
                seeds.emplace_back(input.begin(), input.end());
            }
        }
    }
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-fuzz-seeds <folder>\n");
        return 2;
    }
    const fs::path root = fs::absolute(argv[1]);
    const fs::path work = fs::temp_directory_path() / "tarnwick-fuzz-seeds";
    fs::create_directories(work);
    fs::current_path(work);

    const std::pair<const char*, Seeds (*)()> corpora[] = {
        {"fuzz_settings_file", SettingsSeeds}, {"fuzz_auto_upload_file", AutoUploadSeeds},
        {"fuzz_map_info", MapInfoSeeds},       {"fuzz_image_reader", ImageSeeds},
        {"fuzz_command_replies", ReplySeeds},  {"fuzz_flash_loader", LoaderSeeds}};
    for (const auto& [target, make] : corpora) {
        fs::create_directories(root / target);
        int count = 0;
        for (const std::string& seed : make())
            samples::WriteFile((root / target / ("seed-" + std::to_string(++count))).string(),
                               seed);
    }

    fs::current_path(root);
    fs::remove_all(work);
    return 0;
}
