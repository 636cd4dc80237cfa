// The one-shot commands as a script runs them: one process per job against the simulator
// on a pseudo-terminal, its exit status and its lines; the program's other exit statuses
// and --list-ports.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/program/ProgramTest.h"
#include "tests/support/NamedCase.h"
#include "tests/support/PtyPair.h"

namespace {

struct StatusCase : NamedCase {
    std::vector<std::string> simArgs;  // none: no receiver, COM1 names a missing device
    std::vector<std::string> args;
    int status;
    std::string shown;
    bool interrupt = false;  // Ctrl-C once the code is being written
};

class OneShotStatus : public ProgramTest, public ::testing::WithParamInterface<StatusCase> {};

}  // namespace

TEST_P(OneShotStatus, EndsWithItsStatusAndOneLineThatSaysWhy) {
    const StatusCase& c = GetParam();
    // code.srec, and damaged.srec: the same with a line cut short among whole ones.
    std::string text = TempWorkDir::Read(WriteCodeImage(c.interrupt ? "512K" : "24K"));
    TempWorkDir::Write("damaged.srec", text.insert(text.size() / 2, "\nS3150000\n"));
    std::optional<ReceiverSimProcess> sim;
    std::string device = (dir_.Path() / "no-such-device").string();
    if (!c.simArgs.empty()) {
        sim.emplace(c.simArgs);
        ASSERT_FALSE(sim->Path().empty());
        device = sim->Path();
    }
    ProgramProcess program(c.args, dir_.Path().string(), {{"ORVANE_COM1", device}});
    if (c.interrupt) {
        ASSERT_TRUE(program.WaitFor("Writing code", kPromptTimeoutMs) && RecordSent())
            << program.Output();
        program.Signal(SIGINT);
    }
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(program.Wait(kPromptTimeoutMs), c.status) << program.Output();
    EXPECT_NE(program.Output().find(c.shown), std::string::npos) << program.Output();
    if (c.interrupt) {
        // Stopped within a second at a record's end, the trace whole, the port let go.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
        std::string trace = TempWorkDir::Read("DEBUG.OUT");
        EXPECT_NE(trace.find("SEND REC"), std::string::npos);
        EXPECT_EQ(trace.back(), '\n') << "the trace was cut";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Program, OneShotStatus,
    ::testing::Values(
        StatusCase{"Done",
                   {"--model", "Pathwick", "--chatter", "0"},
                   {"upload", "--port", "COM1", "--code", "code.srec", "--yes"},
                   0,
                   "Upload complete: 24576 bytes in"},
        StatusCase{"UsageError", {}, {"upload", "--kind", "poi"}, 2, ""},
        StatusCase{"UnknownOption", {}, {"--flash"}, 2, ""},
        StatusCase{"DesktopWithoutDisplay", {}, {"--desktop"}, 1, ""},
        StatusCase{"QuestionWithoutYes",
                   {"--model", "Pathwick", "--chatter", "0"},
                   {"upload", "--port", "COM1", "--code", "code.srec"},
                   2,
                   "\"Confirm\" needs an answer (OK, Cancel): give --yes"},
        StatusCase{"KindTheReceiverDoesNotOffer",
                   {"--model", "Pathwick", "--chatter", "0"},
                   {"upload", "--port", "COM1", "--data", "code.srec", "--kind", "database"},
                   2,
                   "(Program code, POI Database, Cancel): give --code FILE"},
        StatusCase{"NoReceiver",
                   {},
                   {"upload", "--port", "COM1", "--code", "code.srec", "--yes"},
                   3,
                   "No receiver found: no answer on COM1 ("},
        StatusCase{"IdentifyFindsNone",
                   {},
                   {"identify", "--port", "COM1"},
                   3,
                   "no such file or directory)"},
        StatusCase{
            "DamagedImage",
            {"--model", "Pathwick", "--chatter", "0"},
            {"upload", "--port", "COM1", "--code", "damaged.srec", "--yes"},
            4,
            "Image refused: Error reading code file damaged.srec is not a valid S-record image: "
            "line "},
        StatusCase{"CheckWrongModel",
                   {},
                   {"check", "--code", "code.srec", "--model", "Pathwick Topo"},
                   4,
                   "Image refused for Pathwick Topo"},
        StatusCase{"ReceiverGone",
                   {"--model", "Pathwick", "--chatter", "0", "--fault", "disconnect:at=3"},
                   {"upload", "--port", "COM1", "--code", "code.srec", "--yes"},
                   5,
                   "Upload failed: ERROR: UPLOAD HAS NOT COMPLETED! The connection to the "
                   "receiver was lost"},
        StatusCase{"ReceiverSilentPastTimeout",
                   {"--model", "Pathwick", "--chatter", "0", "--fault", "silence:for=0,at=3"},
                   {"upload", "--port", "COM1", "--code", "code.srec", "--yes", "--timeout", "4"},
                   5,
                   "(--timeout)"},
        StatusCase{"Interrupted",
                   {"--model", "Pathwick", "--chatter", "0", "--pace"},
                   {"upload", "--port", "COM1", "--code", "code.srec", "--yes"},
                   130,
                   "Interrupted: stopping.",
                   true}),
    ByName);

// --help and --version: install_test.sh, on the installed program.
TEST(ProgramOptions, ListPortsShowsMappedDevices) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    TempWorkDir dir;
    ProgramProcess program({"--list-ports"}, dir.Path().string(),
                           {{"ORVANE_COM1", pty.SlavePath()},
                            {"ORVANE_COM2", ""},
                            {"ORVANE_COM3", "/dev/tarnwick-none"},
                            {"ORVANE_COM9", "/dev/null"}});
    EXPECT_EQ(program.Wait(20000), 0);
    EXPECT_NE(program.Output().find("COM1  " + pty.SlavePath() +
                                    "\nCOM2  no device\n"
                                    "COM3  /dev/tarnwick-none  (missing)\n"),
              std::string::npos)
        << program.Output();
    EXPECT_NE(program.Output().find("COM9  /dev/null\n"), std::string::npos) << program.Output();
}

// upload --yes writes each family's images; the simulator's flash then holds each image at
// its address (an S-record image at its own addresses).
struct FlashCase : NamedCase {
    std::string model;
    std::vector<std::string> codeSample;  // tarnwick-sample-image arguments; none: no code
    std::vector<std::string> dataSample;
    std::string kind;
    std::uint32_t codeAddress = 0;  // of binary code
    std::uint32_t dataAddress = 0;
    std::vector<std::string> more = {};  // upload options; with --expert the receiver
                                         // starts in its loader
};

class OneShotFlash : public ProgramTest, public ::testing::WithParamInterface<FlashCase> {};

namespace {

void ExpectFlashHolds(const std::string& flash, const std::string& image, std::uint32_t address) {
    std::ifstream in(image, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    auto written = SRecordBytes(flash);
    if (bytes.rfind("S0", 0) == 0) {
        for (const auto& [at, byte] : SRecordBytes(image))
            ASSERT_EQ(written[at], byte) << image << " at " << at;
        return;
    }
    ASSERT_FALSE(bytes.empty());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto at = written.find(address + static_cast<std::uint32_t>(i));
        ASSERT_TRUE(at != written.end() && at->second == static_cast<std::uint8_t>(bytes[i]))
            << image << ": byte " << i << " differs in the flash";
    }
}

}  // namespace

TEST_P(OneShotFlash, UploadWithYesLeavesTheImagesInFlash) {
    const FlashCase& c = GetParam();
    std::vector<std::string> args{"upload", "--port", "COM1", "--yes"};
    std::string code;
    std::string data;
    if (!c.codeSample.empty()) {
        code = WriteSample(c.codeSample, "code.img");
        args.insert(args.end(), {"--code", code});
    }
    if (!c.dataSample.empty()) {
        data = WriteSample(c.dataSample, "data.img");
        args.insert(args.end(), {"--data", data, "--kind", c.kind});
    }
    args.insert(args.end(), c.more.begin(), c.more.end());
    std::vector<std::string> simArgs{"--model",   c.model, "--firmware",  "3.50",
                                     "--chatter", "0",     "--flash-out", "flash.s3"};
    if (!c.more.empty())
        simArgs.insert(simArgs.end(), {"--start", "loader"});
    ReceiverSimProcess sim(simArgs);
    ASSERT_FALSE(sim.Path().empty());
    ProgramProcess program(args, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    ASSERT_EQ(program.Wait(kPromptTimeoutMs), 0) << program.Output();
    EXPECT_NE(program.Output().find("Upload complete: "), std::string::npos) << program.Output();
    // One stage line per image, the second run's too.
    std::size_t stages = 0;
    for (std::size_t at = 0; (at = program.Output().find("\nWriting ", at)) != std::string::npos;
         ++at)
        ++stages;
    EXPECT_EQ(stages, std::size_t{!code.empty()} + std::size_t{!data.empty()}) << program.Output();
    sim.Stop(SIGTERM);
    if (!code.empty())
        ExpectFlashHolds("flash.s3", code, c.codeAddress);
    if (!data.empty())
        ExpectFlashHolds("flash.s3", data, c.dataAddress);
}

INSTANTIATE_TEST_SUITE_P(
    Program, OneShotFlash,
    ::testing::Values(
        FlashCase{
            "PathwickCode", "Pathwick", {"code", "--product", "037", "--size", "24K"}, {}, ""},
        FlashCase{"PathwickPoi", "Pathwick", {}, {"poi", "--size", "24K"}, "poi"},
        FlashCase{"Family2CodeAndDatabase",
                  "GPS7K1/7K2",
                  {"family2-code", "--size", "64K"},
                  {"city", "--size", "64K", "--seed", "2"},
                  "database",
                  0,
                  0xA0000},
        FlashCase{"Map7K3Code", "MAP7K3", {"code", "--product", "030", "--size", "24K"}, {}, ""},
        FlashCase{"Map7K3DetailMap", "MAP7K3", {}, {"map", "--size", "64K"}, "detail-map"},
        FlashCase{"SolvantaGpsBaseMap", "Solvanta GPS", {}, {"map", "--size", "64K"}, "base-map"},
        FlashCase{"PathwickTopoMap", "Pathwick Topo", {}, {"map", "--size", "64K"}, "map"},
        FlashCase{"PathwickColorCodeThenBaseMap",
                  "Pathwick Color",
                  {"code", "--product", "041", "--size", "24K"},
                  {"map", "--size", "64K"},
                  "base-map"},
        FlashCase{"ExpertToALoader",
                  "Pathwick",
                  {"code", "--product", "037", "--size", "24K"},
                  {},
                  "",
                  0,
                  0,
                  {"--expert", "Pathwick"}}),
    ByName);
