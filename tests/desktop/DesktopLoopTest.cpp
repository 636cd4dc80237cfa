// The framework's loop semantics on the toolkit's main loop, in real time on a virtual
// display, driven by real key presses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "tests/desktop/XSession.h"
#include "ui/Application.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

using frontendtest::TestDialog;
using Steady = std::chrono::steady_clock;

TEST_F(DesktopTest, ABusyWaitRepaintsTheWindowButHoldsInputAndTimers) {
    TestDialog dialog("Settling");
    int fastTicks = 0;
    int fastTicksDuringWait = -1;
    std::string before;
    std::string during;
    Steady::time_point waitEnd;
    Steady::time_point cancelAt;
    dialog.onInit = [](TestDialog& d) {
        d.SetTimer(1, 300);
        d.SetTimer(2, 10);
    };
    dialog.onTimer = [&](TestDialog& d, int id) {
        if (id == 2) {
            ++fastTicks;
            return;
        }
        d.KillTimer(1);
        std::string window = FindWindow("Settling");
        before = Screenshot(window, "busy-wait-before");
        // New text that only a repaint during the wait can show; Escape pressed now is
        // handled after the wait.
        d.SetControlText(frontendtest::kLabel, "Settling the line");
        ui::Runtime::Get().FlushUpdates();
        EXPECT_TRUE(PressKeys("Settling", {"Escape"}));
        int ticksBefore = fastTicks;
        platform::Clock& clock = platform::GetClock();
        Steady::time_point start = Steady::now();
        while (MsSince(start) < 1200) {
            clock.SleepMs(10);
            if (during.empty() && MsSince(start) > 600)
                during = Screenshot(window, "busy-wait-during");
        }
        fastTicksDuringWait = fastTicks - ticksBefore;
        waitEnd = Steady::now();
    };
    dialog.onCancel = [&](TestDialog& d) {
        cancelAt = Steady::now();
        d.EndDialog(ui::IDCANCEL);
    };

    EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(fastTicksDuringWait, 0);
    EXPECT_GE(cancelAt, waitEnd);
    ASSERT_FALSE(before.empty());
    ASSERT_FALSE(during.empty());
    std::string beforeSum = RunTool({"identify", "-format", "%#", before}).output;
    std::string duringSum = RunTool({"identify", "-format", "%#", during}).output;
    EXPECT_NE(beforeSum, duringSum) << "the window was not repainted during the wait";
    EXPECT_GT(DistinctColours(during), 20);
}

TEST_F(DesktopTest, AnIdleDialogWakesOnlyForItsDescriptor) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    TestDialog dialog("Idle");
    std::uint64_t roundsAtOpen = 0;
    std::uint64_t roundsAtRead = 0;
    int reads = 0;
    dialog.onInit = [&](TestDialog& d) {
        Desktop().WatchInput({pipeFds[0]}, [&] {
            char byte = 0;
            if (read(pipeFds[0], &byte, 1) == 1)
                ++reads;
            roundsAtRead = Desktop().DispatchRounds();
            d.EndDialog(ui::IDOK);
        });
        roundsAtOpen = Desktop().DispatchRounds();
    };
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        EXPECT_EQ(write(pipeFds[1], "x", 1), 1);
    });
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    writer.join();
    Desktop().UnwatchInput({pipeFds[0]});
    close(pipeFds[0]);
    close(pipeFds[1]);
    EXPECT_EQ(reads, 1);
    // The dialog has no timer: the opening looks once at its loop, then nothing runs
    // until the descriptor is readable.
    EXPECT_LE(roundsAtRead - roundsAtOpen, 2u);
}
