// The whole program on the desktop, in real time, on Linux and as the Windows program under
// Wine (run by tools/wine-tests.sh): an automatic upload named in orvane.ini goes to the
// simulated receiver, the user's answers are key presses (one asks to stop and takes it
// back while the upload goes on), and each stage leaves a screenshot named per front end.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/desktop/XSession.h"
#include "tests/program/ProgramTest.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr char kMainTitle[] = "Tarnwick Firmware Uploader";
constexpr int kRunLimitMs = 120000;
constexpr int kPollMs = 100;
// How long the main window must stand alone before the test takes it over.
constexpr int kQuietMs = 1500;

// What the user does when a window with this title appears: a screenshot once it has
// been up for settleMs (when named), then keys.
struct Reaction {
    std::string title;
    std::string screenshot;
    int settleMs;
    std::vector<std::string> keys;
};

struct FrontEnd {
    const char* name;  // also the screenshots' prefix
    bool wine;
};

class ProgramOnTheDesktop : public ProgramTest, public ::testing::WithParamInterface<FrontEnd> {
  protected:
    void SetUp() override {
        if (XSession::Get().Backend() == nullptr)
            GTEST_SKIP() << "no virtual X server could start";
        if (GetParam().wine && WineMissing())
            GTEST_SKIP() << "run by tools/wine-tests.sh";
    }
};

}  // namespace

TEST_P(ProgramOnTheDesktop, AnAutomaticUploadFromTheSettingsFileRunsToTheEnd) {
    const FrontEnd& frontEnd = GetParam();
    const std::string shot = std::string(frontEnd.name) + "-program-";
    WriteSample({"code", "--product", "044", "--version", "3.80"}, "code.hex");
    TempWorkDir::Write("orvane.ini", "[Pathwick Topo]\nCODE=code.hex\n\nMAP=\n\n");

    // Paced at the line rate, so that the upload is slow enough to be seen.
    ReceiverSimProcess receiver({"--model", "Pathwick Topo", "--firmware", "3.70", "--flash-out",
                                 "flash.s3", "--pace", "--chatter", "0"});
    ASSERT_FALSE(receiver.Path().empty());

    const std::vector<Reaction> reactions = {
        {"Upload", "upload-confirmation", 500, {"Return"}},  // YES
        {"Establishing Communication with Receiver", "port-scan", 600, {}},
        {"UPLOAD FILE", "", 300, {"Return"}},
        // Asks to stop; the upload goes on while the box waits, and goes on when it is
        // answered Cancel.
        {"Upload status", "upload-progress", 2500, {"Escape"}},
        {"WARNING", "warning-box", 700, {"Escape"}},
        {"STATUS", "upload-complete", 300, {"Return"}},
    };
    // The Windows program opens the desktop without being asked.
    std::unique_ptr<ProgramProcess> started =
        Start(frontEnd.wine ? std::vector<std::string>{} : std::vector<std::string>{"--desktop"},
              receiver.Path(), frontEnd.wine, {{"DISPLAY", std::getenv("DISPLAY")}});
    ProgramProcess& uploader = *started;
    // Wine's windows belong to no process of ours: all on this display are the program's.
    const pid_t owner = frontEnd.wine ? kAnyProcess : uploader.Pid();
    ASSERT_GT(uploader.Pid(), 0);

    std::set<std::string> titlesSeen;
    std::set<std::string> handled;  // window ids already answered
    std::map<std::string, Steady::time_point> firstSeen;
    Steady::time_point start = Steady::now();
    Steady::time_point aloneSince = Steady::now();
    bool statusAnswered = false;
    while (MsSince(start) < kRunLimitMs) {
        usleep(kPollMs * 1000);
        std::vector<std::string> windows = VisibleWindowIds(owner);
        bool alone = windows.size() == 1 && WindowTitle(windows[0]) == kMainTitle;
        if (!alone)
            aloneSince = Steady::now();
        if (statusAnswered && MsSince(aloneSince) > kQuietMs)
            break;
        for (const std::string& id : windows) {
            std::string title = WindowTitle(id);
            titlesSeen.insert(title);
            firstSeen.emplace(id, Steady::now());
            if (handled.count(id) != 0)
                continue;
            for (const Reaction& reaction : reactions) {
                if (reaction.title != title || MsSince(firstSeen[id]) < reaction.settleMs)
                    continue;
                handled.insert(id);
                if (!reaction.screenshot.empty()) {
                    EXPECT_GT(DistinctColours(Screenshot(id, shot + reaction.screenshot)), 20)
                        << title;
                }
                if (!reaction.keys.empty()) {
                    EXPECT_TRUE(PressKeysIn(id, reaction.keys)) << title;
                }
                statusAnswered = statusAnswered || title == "STATUS";
            }
        }
    }
    std::string seen;
    for (const std::string& title : titlesSeen)
        seen += "\n  " + title;
    ASSERT_TRUE(statusAnswered) << "windows seen:" << seen << "\nDEBUG.OUT:\n"
                                << TempWorkDir::Read("DEBUG.OUT").substr(0, 3000);

    for (const char* expected :
         {"Establishing Communication with Receiver", "Determining Database Type",
          "Determing Upload Protocol", "WARNING"}) {
        EXPECT_EQ(titlesSeen.count(expected), 1u)
            << expected << " never showed; windows seen:" << seen;
    }

    std::string main = FindWindow(kMainTitle, owner);
    EXPECT_GT(DistinctColours(Screenshot(main, shot + "main-window")), 20);
    EXPECT_TRUE(PressKeysIn(main, {"alt+f", "x"}));  // E&xit
    EXPECT_EQ(uploader.Wait(20000), 0);
    EXPECT_EQ(receiver.Stop(SIGTERM), 0);
    ExpectFlashEqualsImage(receiver, "code.hex");
}

INSTANTIATE_TEST_SUITE_P(FrontEnds, ProgramOnTheDesktop,
                         ::testing::Values(FrontEnd{"linux", false}, FrontEnd{"win32", true}),
                         [](const auto& info) { return std::string(info.param.name); });
