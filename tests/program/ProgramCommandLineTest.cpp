// The program's own options: --help, --version, --list-ports, wrong options, and the
// end of input at the main window and during the scan.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/program/ProgramProcess.h"
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

TEST(ProgramOptions, HelpVersionWrongOptionsAndTheEndOfInput) {
    ProgramRun help = RunProgram({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--list-ports"), std::string::npos);
    ProgramRun version = RunProgram({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "tarnwick-uploader " TARNWICK_VERSION "\n");
    EXPECT_EQ(RunProgram({"--flash"}).status, 2);
    // At the main window the end of input is Exit.
    ProgramRun ended = RunProgram({"--text"}, {{"ORVANE_COM1", ""}});
    EXPECT_EQ(ended.status, 0);
    EXPECT_TRUE(ended.output.ends_with("Status: Ready\nCommand> End of input: Exit\n"))
        << ended.output;
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

// The end of input during the scan cancels it as its Cancel would and ends the program at
// once with status 2, as anywhere a question stays unanswered (each kind of window meets
// the end of input in tests/terminal).
TEST(ProgramEndOfInput, DuringTheScanCancelsItAndEndsTheProgramAtOnce) {
    TempWorkDir dir;
    // COM1 is no serial device: the status line says so.
    ProgramProcess program({"--text"}, dir.Path().string(),
                           {{"ORVANE_COM1", "/dev/null"},
                            {"ORVANE_COM2", ""},
                            {"ORVANE_COM3", ""},
                            {"ORVANE_COM4", ""}});
    ASSERT_TRUE(program.NextPrompt(10000)) << program.Output();
    ASSERT_TRUE(program.Answer("Upload")) << program.Output();
    ASSERT_TRUE(program.WaitFor("Status: open /dev/null: not a serial device\n", 10000))
        << program.Output();
    auto ended = std::chrono::steady_clock::now();
    program.CloseInput();
    EXPECT_EQ(program.Wait(20000), 2) << program.Output();
    EXPECT_LT(std::chrono::steady_clock::now() - ended, std::chrono::seconds(1));
    const std::string shown = "\nEnd of input: Cancel\n";
    ASSERT_GE(program.Output().size(), shown.size());
    EXPECT_EQ(program.Output().substr(program.Output().size() - shown.size()), shown)
        << "printed after the end of input: " << program.Output();
}
