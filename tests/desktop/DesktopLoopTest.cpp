// The framework's loop semantics on the toolkit's main loop, in real time on a virtual
// display, driven by real key presses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "tests/desktop/TestWindows.h"
#include "tests/desktop/XSession.h"
#include "ui/Application.h"
#include "ui/MessageBox.h"
#include "ui/Runtime.h"

using desktoptest::TestDialog;
using Steady = std::chrono::steady_clock;

TEST_F(DesktopTest, AMessageBoxOverARunningDialogDoesNotStopItsTimer) {
    TestDialog dialog("Uploading");
    int ticks = 0;
    int ticksWhileBoxOpen = 0;
    int ticksAtBoxOpen = 0;
    int shownWhileBoxOpen = -1;
    bool boxOpen = false;
    int answer = 0;
    dialog.onInit = [](TestDialog& d) {
        d.SetProgressRange(desktoptest::kProgress, 0, 1000);
        d.SetTimer(1, 40);   // the upload
        d.SetTimer(2, 300);  // the user asks to cancel
    };
    dialog.onTimer = [&](TestDialog& d, int id) {
        if (id == 2) {
            d.KillTimer(2);
            boxOpen = true;
            ticksAtBoxOpen = ticks;
            answer = ui::MessageBox(&d, "Cancel the upload?", "WARNING",
                                    ui::MB_YESNO | ui::MB_ICONEXCLAMATION);
            boxOpen = false;
            return;
        }
        ++ticks;
        d.SetProgressPos(desktoptest::kProgress, ticks);
        if (boxOpen && ++ticksWhileBoxOpen == 12) {
            // What the dialog below shows now, drawn while the box waits.
            shownWhileBoxOpen = std::stoi(Desktop().ShownControlText(d, desktoptest::kProgress));
            EXPECT_FALSE(FindWindow("WARNING").empty());
            EXPECT_TRUE(PressKeys("WARNING", {"Return"}));
        }
        if (answer != 0)
            d.EndDialog(ui::IDOK);
    };

    Steady::time_point start = Steady::now();
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_LT(MsSince(start), 8000);
    EXPECT_EQ(answer, ui::IDYES);  // the box's default button
    EXPECT_GE(ticksWhileBoxOpen, 12);
    EXPECT_GE(shownWhileBoxOpen, ticksAtBoxOpen + 10);
    EXPECT_EQ(Desktop().LoopDepth(), 0u);
}

TEST_F(DesktopTest, APostedQuitEndsEveryLoopFromTheInnermostOut) {
    TestDialog outer("Outer");
    int innerResult = -1;
    int boxAnswer = -1;
    int outerTicksUnderBox = 0;
    std::size_t depthUnderBox = 0;
    bool boxOpen = false;
    outer.onInit = [](TestDialog& d) {
        d.SetTimer(1, 20);
        d.SetTimer(2, 60);
    };
    outer.onTimer = [&](TestDialog& d, int id) {
        if (id == 1) {
            d.KillTimer(1);
            TestDialog inner("Inner");
            inner.onInit = [](TestDialog& i) { i.SetTimer(3, 20); };
            inner.onTimer = [&](TestDialog& i, int) {
                i.KillTimer(3);
                boxOpen = true;
                boxAnswer =
                    ui::MessageBox(&i, "Really?", "Confirm", ui::MB_YESNO | ui::MB_ICONQUESTION);
                boxOpen = false;
            };
            innerResult = inner.DoModal();
            return;
        }
        // The outer dialog's timer keeps going under the nested dialog and its box.
        if (boxOpen && ++outerTicksUnderBox == 3) {
            depthUnderBox = Desktop().LoopDepth();
            ui::PostQuitMessage(7);
        }
    };

    Steady::time_point start = Steady::now();
    EXPECT_EQ(outer.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(innerResult, ui::IDCANCEL);
    EXPECT_EQ(boxAnswer, ui::IDNO);
    EXPECT_EQ(depthUnderBox, 3u);  // outer dialog, inner dialog, box
    EXPECT_EQ(Desktop().LoopDepth(), 0u);
    EXPECT_LT(MsSince(start), 5000);

    // After the quit, whatever opens answers Cancel at once, and the main loop ends.
    TestDialog late("Late");
    EXPECT_EQ(late.DoModal(), ui::IDCANCEL);
    EXPECT_EQ(ui::MessageBox(nullptr, "Late box", "STATUS", ui::MB_OKCANCEL), ui::IDCANCEL);
    ui::Application app;
    EXPECT_EQ(app.Run(), 7);
    EXPECT_LT(MsSince(start), 5000);
}

TEST_F(DesktopTest, TheLastEndDialogWinsAndKeysReachTheDialog) {
    struct Case {
        std::vector<std::string> keys;
        int expected;
    };
    const std::vector<Case> cases = {
        {{"Return"}, ui::IDOK},      // the default button
        {{"Escape"}, ui::IDCANCEL},  // lands in OnCancel
        {{"alt+a"}, 9},              // the button's mnemonic; its handler ends twice
    };
    for (const Case& c : cases) {
        TestDialog dialog("Keys");
        dialog.onInit = [](TestDialog& d) { d.SetTimer(1, 150); };
        dialog.onTimer = [&](TestDialog& d, int) {
            d.KillTimer(1);
            EXPECT_TRUE(PressKeys("Keys", c.keys));
        };
        dialog.onCommand = [](TestDialog& d, int id) {
            if (id == desktoptest::kAction) {
                d.EndDialog(ui::IDOK);
                d.EndDialog(9);
            }
        };
        EXPECT_EQ(dialog.DoModal(), c.expected) << c.keys.front();
    }
}

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
        d.SetControlText(desktoptest::kLabel, "Settling the line");
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
