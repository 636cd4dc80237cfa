// The whole program against what a bench meets: a cable pulled in the middle of an
// upload and plugged in again, a receiver left in its loader by an interrupted upload,
// and a port that another program holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>

#include "tests/program/ProgramProcess.h"
#include "tests/program/Responder.h"
#include "tests/support/PtyPair.h"

namespace {

// A failed upload comes back to the menu well within this.
constexpr int kResponsiveMs = 30000;

// The adapter's stable name, as a udev rule gives it: a link the test repoints at once.
void PointLink(const std::filesystem::path& link, const std::string& device) {
    std::filesystem::path fresh = link.string() + ".new";
    std::filesystem::remove(fresh);
    std::filesystem::create_symlink(device, fresh);
    std::filesystem::rename(fresh, link);
}

// Whether the process has a descriptor open on the device.
bool HoldsDevice(pid_t pid, const std::string& device) {
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        if (std::filesystem::read_symlink(entry.path(), error) == device)
            return true;
    }
    return false;
}

using ProgramReliability = ProgramUploadTest;

}  // namespace

// The receiver goes away in the middle of the code; the program says so, keeps serving
// the menu, lets go of the device, and uploads to the receiver plugged in again.
// With startAgainInLoader the receiver comes back with only its loader, and the expert
// path writes the image again.
struct ReplugCase {
    const char* name;
    std::vector<std::string> secondStart;
    std::vector<std::string> secondCommands;
};

// Failure messages and test listings show the case by its name.
void PrintTo(const ReplugCase& c, std::ostream* out) {
    *out << c.name;
}

class ProgramReplug : public ProgramReliability,
                      public ::testing::WithParamInterface<ReplugCase> {};

TEST_P(ProgramReplug, UnplugInTheMiddleThenUploadAgain) {
    const ReplugCase& c = GetParam();
    std::string image = WriteCodeImage("24K");
    std::filesystem::path link = dir_.Path() / "ttyGPS";
    auto first = std::make_unique<ReceiverSimProcess>(std::vector<std::string>{
        "--model", "Pathwick", "--chatter", "0", "--fault", "disconnect:at=5"});
    std::string firstDevice = first->Path();
    ASSERT_FALSE(firstDevice.empty());
    PointLink(link, firstDevice);

    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", link.string()}});
    Responder user;
    user.commands = {"Select Code File", "Upload"};
    user.commands.insert(user.commands.end(), c.secondCommands.begin(), c.secondCommands.end());
    user.answers["Expert Setup> "] = {"Pathwick", "COM 1", "On", "OK"};
    user.path = image;
    ASSERT_TRUE(user.DriveToMenu(program, 2, kResponsiveMs))
        << program.Output() << "\n"
        << TempWorkDir::Read("DEBUG.OUT").substr(0, 3000);

    std::string failed = program.Output();
    EXPECT_EQ(failed.find("Upload complete"), std::string::npos) << failed;
    EXPECT_NE(failed.find("The connection to the receiver was lost"), std::string::npos) << failed;
    EXPECT_NE(failed.find("== Upload status =="), std::string::npos) << failed;
    EXPECT_FALSE(HoldsDevice(program.Pid(), firstDevice)) << "the vanished port is still open";
    first.reset();

    std::vector<std::string> args{"--model", "Pathwick",    "--chatter",
                                  "0",       "--flash-out", "flash.s3"};
    args.insert(args.end(), c.secondStart.begin(), c.secondStart.end());
    ReceiverSimProcess second(args);
    ASSERT_FALSE(second.Path().empty());
    PointLink(link, second.Path());
    EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();
    std::string after = program.Output().substr(failed.size());
    EXPECT_NE(after.find("Upload complete"), std::string::npos) << program.Output();
    ExpectFlashEqualsImage(second, image);
}

INSTANTIATE_TEST_SUITE_P(
    Bench, ProgramReplug,
    ::testing::Values(ReplugCase{"SameReceiver", {}, {"Select Code File", "Upload"}},
                      ReplugCase{"LeftInItsLoader",
                                 {"--start", "loader"},
                                 {"Expert", "Select Code File", "Upload"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Another program holds the port: both the scan and the expert path name the device and
// say it is in use, and not a byte reaches the port.
TEST_F(ProgramReliability, APortHeldByAnotherProgramIsNamedAndLeftAlone) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    int held = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ::ioctl(held, TIOCEXCL);
    std::string image = WriteCodeImage("4K");

    ProgramProcess program({"--text"}, dir_.Path().string(), {{"ORVANE_COM1", pty.SlavePath()}});
    Responder user;
    user.commands = {"Select Code File", "Upload", "Expert", "Upload"};
    user.answers["Expert Setup> "] = {"Pathwick", "COM 1", "On", "OK"};
    user.answers["Pathwick - select upload type> "] = {"Cancel"};
    user.path = image;
    // The scan goes on until the user cancels it.
    for (int i = 0; i < 3; ++i) {
        std::optional<std::string> prompt = program.NextPrompt(kPromptTimeoutMs);
        ASSERT_TRUE(prompt) << program.Output();
        ASSERT_TRUE(program.Answer(user.Choose(*prompt, program.Pending()))) << program.Output();
    }
    ASSERT_TRUE(program.WaitFor("Using COM2", kPromptTimeoutMs)) << program.Output();
    program.Signal(SIGINT);
    EXPECT_EQ(user.Drive(program, kPromptTimeoutMs), 0) << program.Output();

    const std::string& out = program.Output();
    std::string inUse = pty.SlavePath() + ": device in use";
    ASSERT_NE(out.find(inUse), std::string::npos) << out;
    std::size_t expert = out.find("Expert upload mode is turned ON.");
    ASSERT_NE(expert, std::string::npos) << out;
    std::size_t couldNot = out.find("COULD NOT OPEN COM PORT", expert - 200);
    ASSERT_NE(couldNot, std::string::npos) << out;
    std::size_t status = out.rfind("Status: ", couldNot);
    ASSERT_NE(status, std::string::npos) << out;
    EXPECT_NE(out.substr(status, out.find('\n', status) - status).find(inUse), std::string::npos)
        << "the status bar does not say why beside the message: " << out;
    EXPECT_EQ(out.find("Upload complete"), std::string::npos) << out;
    EXPECT_EQ(pty.ReadAvailable(100), "") << "bytes reached a port another program holds";
    ::close(held);
}
