// The Windows program as a process under Wine, driven through pipes by the terminal
// contract, its COM1 a pseudo-terminal: the link the Wine prefix's COM1 names is pointed
// at the simulator's device (or at nothing). tools/wine-tests.sh sets TARNWICK_WINE_EXE,
// WINEPREFIX and TARNWICK_WINE_COM1; without them the tests are skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/program/ProgramProcess.h"
#include "tests/program/Responder.h"
#include "tests/support/NamedCase.h"

namespace {

struct WineCase : NamedCase {
    bool sim;                                                 // COM1 is the simulator
    std::string ini;                                          // orvane.ini, or empty
    std::vector<std::string> commands;                        // typed at the menu
    std::map<std::string, std::vector<std::string>> answers;  // by prompt
    bool endInput;  // input ends after the commands, during the scan: it is cancelled, status 2
    std::vector<std::string> shown;  // in the output, in this order
};

class WineProgram : public ProgramUploadTest, public ::testing::WithParamInterface<WineCase> {
  protected:
    void SetUp() override {
        ProgramUploadTest::SetUp();
        for (const char* name : {"TARNWICK_WINE_EXE", "WINEPREFIX", "TARNWICK_WINE_COM1"}) {
            if (std::getenv(name) == nullptr)
                GTEST_SKIP() << name << " is not set: run by tools/wine-tests.sh";
        }
    }
    // Points the prefix's COM1 at the device.
    static void MapCom1(const std::string& device) {
        std::filesystem::path link = std::getenv("TARNWICK_WINE_COM1");
        std::error_code ignored;
        std::filesystem::remove(link, ignored);
        std::filesystem::create_symlink(device, link);
    }
    static std::vector<std::string> Wine() {
        return {"/usr/lib/wine/wine64", std::getenv("TARNWICK_WINE_EXE")};
    }
};

}  // namespace

TEST_P(WineProgram, RunsAsOnLinux) {
    const WineCase& c = GetParam();
    // A file name beyond ASCII: the program runs with UTF-8 as its code page.
    std::string image = WriteCodeImage("16K",
                                       "c\xc3\xb6"
                                       "de-\xc3\xbc.srec");
    if (!c.ini.empty())
        TempWorkDir::Write("orvane.ini", c.ini);
    std::unique_ptr<ReceiverSimProcess> sim;
    if (c.sim) {
        sim = std::make_unique<ReceiverSimProcess>(std::vector<std::string>{
            "--model", "Pathwick", "--flash-out", "flash.s3", "--chatter", "0"});
        ASSERT_FALSE(sim->Path().empty());
        MapCom1(sim->Path());
    } else {
        MapCom1((dir_.Path() / "no-such-device").string());
    }
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"WINEDEBUG", "-all"}}, Wine());
    Responder user;
    user.commands = c.commands;
    user.answers = c.answers;
    user.path = image;
    if (c.endInput) {
        ASSERT_TRUE(user.DriveToMenu(program, c.commands.size(), kPromptTimeoutMs))
            << program.Output();
        ASSERT_TRUE(program.Answer("Upload")) << program.Output();
        program.CloseInput();
        EXPECT_EQ(program.Wait(kPromptTimeoutMs), 2) << program.Output();
    } else {
        EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();
    }
    std::size_t at = 0;
    for (const std::string& text : c.shown) {
        at = program.Output().find(text, at);
        ASSERT_NE(at, std::string::npos) << "\"" << text << "\" missing:\n" << program.Output();
    }
    if (c.sim && !c.endInput)
        ExpectFlashEqualsImage(*sim, image);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, WineProgram,
    ::testing::Values(
        WineCase{"AutomaticUploadThroughOrvaneIni", true,
                 "[PATHWICK]\nCODE=c\xc3\xb6"
                 "de-\xc3\xbc.srec\n\nMAP=\n\n",
                 {}, {{"Upload> ", {"yes"}}}, false,
                 {"Upload> yes", "== Upload status ==", "Upload complete", "Command> Exit"}},
        WineCase{"EndOfInputDuringTheScan", true, "", {"Select Code File"}, {}, true,
                 {"Command> Upload", "\nEnd of input: Cancel\n"}},
        // A port beyond COM4, which Expert Setup reaches, that the system does not have.
        WineCase{"MissingComPort", false, "", {"Expert", "Select Code File", "Upload"},
                 {{"Expert Setup> ", {"Pathwick", "COM", "COM = 7", "On", "OK"}},
                  {"UPLOAD FILE> ", {"Cancel"}}},
                 false, {"Command> Upload", "COULD NOT OPEN COM PORT", "Command> Exit"}}),
    ByName);

// Ctrl-C reaches a Windows console program as a control event (Wine turns SIGINT into
// one): the first cancels the upload with its warning, a second within two seconds quits.
TEST_F(WineProgram, CtrlCCancelsTheUploadAndASecondQuits) {
    std::string image = WriteCodeImage("512K");
    ReceiverSimProcess sim({"--model", "Pathwick", "--pace", "--chatter", "0"});
    ASSERT_FALSE(sim.Path().empty());
    MapCom1(sim.Path());
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"WINEDEBUG", "-all"}}, Wine());
    Responder user;
    user.commands = {"Select Code File", "Upload"};
    user.path = image;
    ASSERT_TRUE(user.DriveToProgramming(program, 90)) << program.Output();
    program.Signal(SIGINT);
    ASSERT_TRUE(program.WaitFor("Interrupt: Cancel\n== WARNING", 20000)) << program.Output();
    program.Signal(SIGINT);
    EXPECT_EQ(program.Wait(30000), 130) << program.Output();
    EXPECT_NE(program.Output().find("Interrupted twice: quitting."), std::string::npos);
}

// A script's one-shot upload: the options answer every dialog, the status says done.
TEST_F(WineProgram, OneShotUploadWithYesFlashesTheImage) {
    std::string image = WriteCodeImage("16K", "one-\xc3\xb6.srec");
    ReceiverSimProcess sim({"--model", "Pathwick", "--flash-out", "flash.s3", "--chatter", "0"});
    ASSERT_FALSE(sim.Path().empty());
    MapCom1(sim.Path());
    ProgramProcess program({"upload", "--port", "COM1", "--code", image, "--yes"},
                           dir_.Path().string(), {{"WINEDEBUG", "-all"}}, Wine());
    EXPECT_EQ(program.Wait(120000), 0) << program.Output();
    EXPECT_NE(program.Output().find("Upload complete: "), std::string::npos) << program.Output();
    ExpectFlashEqualsImage(sim, image);
}
