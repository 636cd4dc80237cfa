// The program's own options: --help, --version, --list-ports, wrong options, and the
// end of input at each kind of prompt and during the scan.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/program/ProgramProcess.h"
#include "tests/support/NamedCase.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempWorkDir.h"

namespace {

struct ProgramRun {
    int status;
    std::string output;
};

ProgramRun RunProgram(const std::vector<std::string>& args,
                      const std::map<std::string, std::string>& env = {}) {
    TempWorkDir dir;
    ProgramProcess program(args, dir.Path().string(), env);
    program.CloseInput();
    int status = program.Wait(20000);
    return {status, program.Output()};
}

}  // namespace

TEST(ProgramOptions, HelpVersionAndWrongOptions) {
    ProgramRun help = RunProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--list-ports"), std::string::npos);
    ProgramRun version = RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "tarnwick-uploader " TARNWICK_VERSION "\n");
    EXPECT_EQ(RunProgram({"--flash"}).status, 2);
    // No display to start a desktop front end on.
    EXPECT_EQ(RunProgram({"--desktop"}, {{"DISPLAY", ":987"}}).status, 1);
}

TEST(ProgramOptions, ListPortsShowsMappedDevices) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    ProgramRun mapped = RunProgram({"--list-ports"}, {{"ORVANE_COM1", pty.SlavePath()},
                                                      {"ORVANE_COM2", ""},
                                                      {"ORVANE_COM3", "/dev/tarnwick-none"},
                                                      {"ORVANE_COM9", "/dev/null"}});
    EXPECT_EQ(mapped.status, 0);
    EXPECT_NE(mapped.output.find("COM1  " + pty.SlavePath() +
                                 "\nCOM2  no device\n"
                                 "COM3  /dev/tarnwick-none  (missing)\n"),
              std::string::npos)
        << mapped.output;
    EXPECT_NE(mapped.output.find("COM9  /dev/null\n"), std::string::npos) << mapped.output;
}

namespace {

struct EndCase : NamedCase {
    std::string ini;      // orvane.ini, or empty
    std::string typed;    // before the input ends
    std::string running;  // printed when the input ends; empty: at a prompt
    std::string shown;    // what the end of input answered
    int status;
};

class EndOfInput : public ::testing::TestWithParam<EndCase> {};

}  // namespace

// The end of input answers the prompt, or the running dialog, as its Cancel would and ends
// the program at once: 0 at the main window, 2 where a question stayed unanswered.
TEST_P(EndOfInput, CancelsWhatIsOpenAndEndsTheProgramAtOnce) {
    const EndCase& c = GetParam();
    TempWorkDir dir;
    if (!c.ini.empty())
        TempWorkDir::Write("orvane.ini", c.ini);
    // COM1 is no serial device: the status line says so.
    ProgramProcess program({"--text"}, dir.Path().string(),
                           {{"ORVANE_COM1", "/dev/null"},
                            {"ORVANE_COM2", ""},
                            {"ORVANE_COM3", ""},
                            {"ORVANE_COM4", ""}});
    for (std::size_t start = 0; start < c.typed.size();) {
        std::size_t end = c.typed.find('\n', start);
        ASSERT_TRUE(program.NextPrompt(10000)) << program.Output();
        ASSERT_TRUE(program.Answer(c.typed.substr(start, end - start))) << program.Output();
        start = end + 1;
    }
    if (c.running.empty())
        ASSERT_TRUE(program.NextPrompt(10000)) << program.Output();
    else
        ASSERT_TRUE(program.WaitFor(c.running, 10000)) << program.Output();
    auto ended = std::chrono::steady_clock::now();
    program.CloseInput();
    EXPECT_EQ(program.Wait(20000), c.status) << program.Output();
    EXPECT_LT(std::chrono::steady_clock::now() - ended, std::chrono::seconds(1));
    EXPECT_NE(program.Output().find(c.shown), std::string::npos) << program.Output();
    EXPECT_EQ(program.Output().find(c.shown) + c.shown.size(), program.Output().size())
        << "printed after the end of input: " << program.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Program, EndOfInput,
    ::testing::Values(
        EndCase{"MainWindow", "", "", "", "Status: Ready\nCommand> End of input: Exit\n", 0},
        EndCase{"Dialog", "", "About UPLOAD\n", "", "Upload Help> End of input: OK\n", 2},
        EndCase{"FileDialog", "", "Select Code File\n", "", "> End of input: Cancel\n", 2},
        EndCase{"Confirmation", "[Pathwick]\nCODE=code.srec\n\nMAP=\n\n", "", "",
                "Upload> End of input: No\n", 2},
        EndCase{"ExpertSetup", "", "Expert\n", "", "Expert Setup> End of input: Cancel\n", 2},
        EndCase{"MessageBox", "", "Expert\nPathwick\nOn\nOK\nUpload\n", "",
                "ERROR> End of input: OK\n", 2},
        EndCase{"Scan", "", "Upload\n", "Status: open /dev/null: not a serial device\n",
                "\nEnd of input: Cancel\n", 2}),
    ByName);
