// The interactive program in the middle of an upload, on a pseudo-terminal to the receiver
// simulator, stopped by a signal or the end of its input. The flows of an upload are the
// in-process tests' (tests/app, tests/drivers).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>

#include <chrono>

#include "tests/program/ProgramProcess.h"
#include "tests/program/Responder.h"
#include "tests/support/NamedCase.h"

// Stopping the program in the middle of an upload: Ctrl-C brings the cancel warning and a
// second one quits; SIGTERM and SIGHUP quit at once; the end of input cancels. Every way
// ends the program within a second, with the trace written and the port's settings back.
struct StopCase : NamedCase {
    std::vector<int> signals;  // sent in turn, each after the last one's answer; none: the
                               // input ends
    int status;
    std::string shown;
};

class ProgramStops : public ProgramUploadTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ProgramStops, InTheMiddleOfAnUploadClosingThePortAsFound) {
    const StopCase& c = GetParam();
    std::string image = WriteCodeImage("512K");
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
    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", sim.Path()}});
    Responder user;
    user.commands = {"Select Code File", "Upload"};
    user.path = image;
    ASSERT_TRUE(user.DriveToProgramming(program, 60)) << program.Output();
    auto stopped = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < c.signals.size(); ++i) {
        if (i > 0) {
            ASSERT_TRUE(program.NextPrompt(10000)) << program.Output();
            EXPECT_NE(program.Pending().find("Interrupt: Cancel\n== WARNING"), std::string::npos)
                << program.Output();
        }
        stopped = std::chrono::steady_clock::now();
        program.Signal(c.signals[i]);
    }
    if (c.signals.empty())
        program.CloseInput();
    EXPECT_EQ(program.Wait(20000), c.status) << program.Output();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(1));
    EXPECT_NE(program.Output().find(c.shown), std::string::npos) << program.Output();
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
