// The interactive program, on Linux and as the Windows program under Wine (run by
// tools/wine-tests.sh), stopped by a signal or the end of its input in the middle of an
// upload (on a pseudo-terminal to the receiver simulator) or of the scan; under Wine, its
// uploads. The flows of an upload are the in-process tests' (tests/app, tests/drivers).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>

#include <chrono>
#include <memory>

#include "tests/program/ProgramTest.h"
#include "tests/support/NamedCase.h"

// Stopping the program in the middle of an upload: Ctrl-C brings the cancel warning and a
// second one quits; SIGTERM and SIGHUP quit at once; the end of input cancels. Every way
// ends the program within a second, with the trace written and the port's settings back.
struct StopCase : NamedCase {
    std::vector<int> signals;  // sent in turn, each once the last one's warning shows; none:
                               // the input ends
    int status;
    std::string shown;
    bool wine = false;
};

class ProgramStops : public ProgramTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ProgramStops, InTheMiddleOfAnUploadClosingThePortAsFound) {
    const StopCase& c = GetParam();
    if (c.wine && WineMissing())
        GTEST_SKIP() << "run by tools/wine-tests.sh";
    WriteCodeImage("512K");
    WriteAutomaticUpload("code.srec");
    // Paced at the line rate, the upload lasts long enough to stop it.
    ReceiverSimProcess sim({"--model", "Pathwick", "--pace", "--chatter", "0"});
    auto portSettings = [&] {
        termios settings{};
        int fd = ::open(sim.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd, 0) << "the port is held";
        ::tcgetattr(fd, &settings);
        ::close(fd);
        return settings;
    };
    termios before = portSettings();
    std::unique_ptr<ProgramProcess> program = Start({"--text"}, sim.Path(), c.wine);
    ASSERT_TRUE(program->AnswerPrompts({{"Upload> ", "yes"}}, kPromptTimeoutMs) &&
                program->WaitFor("PROGRAMMING", kPromptTimeoutMs) && (c.wine || RecordSent()))
        << program->Output();
    auto stopped = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < c.signals.size(); ++i) {
        if (i > 0) {
            ASSERT_TRUE(program->WaitFor("Interrupt: Cancel\n== WARNING", 10000))
                << program->Output();
        }
        stopped = std::chrono::steady_clock::now();
        program->Signal(c.signals[i]);
    }
    if (c.signals.empty())
        program->CloseInput();
    EXPECT_EQ(program->Wait(30000), c.status) << program->Output();
    const auto took = std::chrono::steady_clock::now() - stopped;
    EXPECT_NE(program->Output().find(c.shown), std::string::npos) << program->Output();
    if (c.wine)
        return;  // under Wine, what the program shows: its time to end and the port are Wine's
    EXPECT_LT(took, std::chrono::seconds(1));
    std::string trace = TempWorkDir::Read("DEBUG.OUT");
    EXPECT_NE(trace.find("SEND REC"), std::string::npos) << trace.substr(0, 500);
    EXPECT_EQ(trace.back(), '\n') << "the trace was cut";

    termios after = portSettings();
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

INSTANTIATE_TEST_SUITE_P(
    Program, ProgramStops,
    ::testing::Values(StopCase{"CtrlCTwice", {SIGINT, SIGINT}, 130, "Interrupted twice: quitting."},
                      StopCase{"Sigterm", {SIGTERM}, 143, "Terminated: quitting."},
                      StopCase{"Sighup", {SIGHUP}, 129, "Terminated: quitting."},
                      StopCase{"EndOfInput", {}, 2, "\nEnd of input: Cancel\n"}),
    ByName);
// Ctrl-C reaches a Windows console program as a control event (Wine turns SIGINT into one).
INSTANTIATE_TEST_SUITE_P(
    Wine, ProgramStops,
    ::testing::Values(StopCase{
        "CtrlCTwice", {SIGINT, SIGINT}, 130, "Interrupted twice: quitting.", true}),
    ByName);

// The end of input during the scan cancels it as its Cancel would and ends the program at
// once with status 2, nothing printed after (each kind of window meets the end of input in
// tests/terminal).
struct ScanCase : NamedCase {
    std::string device;
    std::string shown;  // waited for before the input ends
    bool wine = false;
};

class ProgramScan : public ProgramTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ProgramScan, EndsAtTheEndOfInput) {
    const ScanCase& c = GetParam();
    if (c.wine && WineMissing())
        GTEST_SKIP() << "run by tools/wine-tests.sh";
    std::unique_ptr<ProgramProcess> program = Start({"--text"}, c.device, c.wine);
    ASSERT_TRUE(program->AnswerPrompts({{"Command> ", "Upload"}}, kPromptTimeoutMs) &&
                program->WaitFor(c.shown, kPromptTimeoutMs))
        << program->Output();
    auto ended = std::chrono::steady_clock::now();
    program->CloseInput();
    EXPECT_EQ(program->Wait(kPromptTimeoutMs), 2) << program->Output();
    if (!c.wine) {
        EXPECT_LT(std::chrono::steady_clock::now() - ended, std::chrono::seconds(1));
    }
    EXPECT_TRUE(program->Output().ends_with("\nEnd of input: Cancel\n")) << program->Output();
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramScan,
                         ::testing::Values(ScanCase{
                             "NotASerialDevice", "/dev/null",
                             "Status: open /dev/null: not a serial device\n"}),
                         ByName);
INSTANTIATE_TEST_SUITE_P(Wine, ProgramScan,
                         ::testing::Values(ScanCase{
                             "MissingDevice", "/nonexistent/tarnwick-com1",
                             "== Establishing Communication with Receiver ==\n", true}),
                         ByName);

// The Windows program's uploads under Wine, at a console's place and from a script. A file
// name beyond ASCII: the program runs with UTF-8 as its code page.
constexpr char kImage[] =
    "c\xc3\xb6"
    "de-\xc3\xbc.srec";

struct UploadCase : NamedCase {
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> answers;  // none: no orvane.ini
};

class WineUpload : public ProgramTest, public ::testing::WithParamInterface<UploadCase> {};

TEST_P(WineUpload, FlashesTheImage) {
    const UploadCase& c = GetParam();
    if (WineMissing())
        GTEST_SKIP() << "run by tools/wine-tests.sh";
    std::string image = WriteCodeImage("16K", kImage);
    if (!c.answers.empty())
        WriteAutomaticUpload(kImage);
    ReceiverSimProcess sim({"--model", "Pathwick", "--flash-out", "flash.s3", "--chatter", "0"});
    ASSERT_FALSE(sim.Path().empty());
    std::unique_ptr<ProgramProcess> program = Start(c.args, sim.Path(), true);
    EXPECT_TRUE(program->AnswerPrompts(c.answers, kPromptTimeoutMs)) << program->Output();
    EXPECT_EQ(program->Wait(120000), 0) << program->Output();
    EXPECT_NE(program->Output().find("Upload complete"), std::string::npos) << program->Output();
    ExpectFlashEqualsImage(sim, image);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, WineUpload,
    ::testing::Values(
        UploadCase{"AutomaticThroughOrvaneIni",
                   {"--text"},
                   {{"Upload> ", "yes"}, {"STATUS> ", "OK"}, {"Command> ", "Exit"}}},
        UploadCase{"OneShotWithYes", {"upload", "--port", "COM1", "--code", kImage, "--yes"}, {}}),
    ByName);
