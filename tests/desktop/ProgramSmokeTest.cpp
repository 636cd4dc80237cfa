// The whole program on the desktop, in real time: an automatic upload named in
// orvane.ini goes to the simulated receiver on a pseudo-terminal, the user's answers are
// key presses, and each stage leaves a screenshot in the artefact folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/desktop/XSession.h"
#include "tests/program/ProgramProcess.h"
#include "tests/program/SRecordBytes.h"
#include "tests/support/ReceiverSimProcess.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

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

}  // namespace

TEST_F(DesktopTest, AnAutomaticUploadFromTheSettingsFileRunsToTheEnd) {
    std::string flash = (std::filesystem::current_path() / "smoke-flash.s3").string();
    std::remove(flash.c_str());
    TempWorkDir folder;
    samples::WriteFile("code.hex", samples::CodeImageSRecord("044", 3, 80, 64 * 1024, 7));
    TempWorkDir::Write("orvane.ini", "[Pathwick Topo]\nCODE=code.hex\n\nMAP=\n\n");

    // Paced at the line rate, so that the upload is slow enough to be seen.
    ReceiverSimProcess receiver({"--model", "Pathwick Topo", "--firmware", "3.70", "--flash-out",
                                 flash, "--pace", "--chatter", "0"});
    ASSERT_FALSE(receiver.Path().empty());

    const std::vector<Reaction> reactions = {
        {"Upload", "", 300, {"Return"}},  // the confirmation: YES
        {"Establishing Communication with Receiver", "program-connection-scan", 600, {}},
        {"UPLOAD FILE", "", 300, {"Return"}},
        {"Upload status", "program-upload-in-progress", 2500, {}},
        {"STATUS", "program-upload-complete", 300, {"Return"}},
    };
    const std::string none = "/nonexistent/tarnwick-test-port";
    ProgramProcess uploader({"--desktop"}, folder.Path().string(),
                            {{"DISPLAY", std::getenv("DISPLAY")},
                             {"ORVANE_COM1", receiver.Path()},
                             {"ORVANE_COM2", none},
                             {"ORVANE_COM3", none},
                             {"ORVANE_COM4", none}});
    ASSERT_GT(uploader.Pid(), 0);

    std::vector<std::string> titlesSeen;
    std::set<std::string> handled;  // window ids already answered
    std::map<std::string, Steady::time_point> firstSeen;
    Steady::time_point start = Steady::now();
    Steady::time_point aloneSince = Steady::now();
    bool statusAnswered = false;
    while (MsSince(start) < kRunLimitMs) {
        usleep(kPollMs * 1000);
        std::vector<std::string> windows = VisibleWindowIds(uploader.Pid());
        bool alone = windows.size() == 1 && WindowTitle(windows[0]) == kMainTitle;
        if (!alone)
            aloneSince = Steady::now();
        if (statusAnswered && MsSince(aloneSince) > kQuietMs)
            break;
        for (const std::string& id : windows) {
            std::string title = WindowTitle(id);
            if (std::find(titlesSeen.begin(), titlesSeen.end(), title) == titlesSeen.end())
                titlesSeen.push_back(title);
            firstSeen.emplace(id, Steady::now());
            if (handled.count(id) != 0)
                continue;
            for (const Reaction& reaction : reactions) {
                if (reaction.title != title || MsSince(firstSeen[id]) < reaction.settleMs)
                    continue;
                handled.insert(id);
                if (!reaction.screenshot.empty()) {
                    EXPECT_GT(DistinctColours(Screenshot(id, reaction.screenshot)), 20) << title;
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
    ASSERT_TRUE(statusAnswered) << "windows seen:" << seen << "\nuploader output:\n"
                                << TempWorkDir::Read("DEBUG.OUT").substr(0, 3000);

    for (const char* expected :
         {"Upload", "Establishing Communication with Receiver", "Determining Database Type",
          "Determing Upload Protocol", "Upload status", "STATUS"}) {
        EXPECT_NE(std::find(titlesSeen.begin(), titlesSeen.end(), expected), titlesSeen.end())
            << expected << " never showed; windows seen:" << seen;
    }

    // The main window, and Expert Setup from its menu bar command's shortcut.
    std::string main = FindWindow(kMainTitle, uploader.Pid());
    EXPECT_EQ(WindowTitle(main), kMainTitle);
    EXPECT_GT(DistinctColours(Screenshot(main, "program-main-window")), 20);
    EXPECT_TRUE(PressKeysIn(main, {"ctrl+e"}));
    std::string expert;
    for (int tries = 0; tries < 50 && expert.empty(); ++tries) {
        usleep(kPollMs * 1000);
        expert = FindWindow("Expert Setup", uploader.Pid());
    }
    ASSERT_FALSE(expert.empty()) << "windows seen:" << seen;
    usleep(300 * 1000);
    EXPECT_GT(DistinctColours(Screenshot(expert, "program-expert-setup")), 20);
    EXPECT_TRUE(PressKeysIn(expert, {"Escape"}));
    usleep(500 * 1000);
    EXPECT_TRUE(PressKeys(kMainTitle, {"alt+f", "x"}, uploader.Pid()));  // E&xit
    EXPECT_EQ(uploader.Wait(10000), 0);
    EXPECT_EQ(receiver.Stop(SIGTERM), 0);

    const auto image = SRecordBytes("code.hex");
    ASSERT_FALSE(image.empty());
    EXPECT_TRUE(SRecordBytes(flash) == image) << "the flash differs; windows seen:" << seen;
}
