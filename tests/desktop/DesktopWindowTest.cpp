// Message boxes of the toolkit: the icon of their kind, and keys that answer them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/desktop/TestWindows.h"
#include "tests/desktop/XSession.h"
#include "ui/MessageBox.h"

using desktoptest::TestDialog;

TEST_F(DesktopTest, MessageBoxesShowTheIconOfTheirKindAndAnswerKeys) {
    struct Case {
        std::string caption;
        unsigned flags;
        std::vector<std::string> keys;
        int expectedAnswer;
        unsigned expectedIcon;
        std::string screenshot;
    };
    const std::vector<Case> cases = {
        {"ERROR",
         ui::MB_OK | ui::MB_ICONSTOP,
         {"Return"},
         ui::IDOK,
         ui::MB_ICONSTOP,
         "message-box-stop"},
        {"WARNING",
         ui::MB_YESNO | ui::MB_ICONEXCLAMATION,
         {"Escape"},
         ui::IDNO,
         ui::MB_ICONEXCLAMATION,
         "message-box-exclamation"},
        {"Confirm",
         ui::MB_YESNO | ui::MB_ICONQUESTION,
         {"Return"},
         ui::IDYES,
         ui::MB_ICONQUESTION,
         ""},
        {"Question",
         ui::MB_YESNO | ui::MB_ICONQUESTION,
         {"alt+n"},
         ui::IDNO,
         ui::MB_ICONQUESTION,
         ""},
        {"STATUS",
         ui::MB_OKCANCEL | ui::MB_ICONINFORMATION,
         {"Escape"},
         ui::IDCANCEL,
         ui::MB_ICONINFORMATION,
         ""},
        {"Plain", ui::MB_OK, {"Escape"}, ui::IDOK, 0u, ""},
    };
    for (const Case& c : cases) {
        TestDialog below("Below");
        int answer = 0;
        unsigned shownIcon = 99;
        int colours = 0;
        int ticksUnderBox = 0;
        bool boxOpen = false;
        below.onInit = [](TestDialog& d) {
            d.SetTimer(1, 50);
            d.SetTimer(2, 100);
        };
        below.onTimer = [&](TestDialog& d, int id) {
            if (id == 1) {
                d.KillTimer(1);
                boxOpen = true;
                answer = ui::MessageBox(&d, "The receiver did not answer.", c.caption, c.flags);
                boxOpen = false;
                d.EndDialog(ui::IDOK);
                return;
            }
            if (!boxOpen || ++ticksUnderBox != 4)
                return;
            shownIcon = Desktop().ShownBoxIcon();
            std::string window = FindWindow(c.caption);
            EXPECT_FALSE(window.empty()) << c.caption;
            if (!c.screenshot.empty())
                colours = DistinctColours(Screenshot(window, c.screenshot));
            EXPECT_TRUE(PressKeysIn(window, c.keys)) << c.caption;
        };
        EXPECT_EQ(below.DoModal(), ui::IDOK) << c.caption;
        EXPECT_EQ(answer, c.expectedAnswer) << c.caption;
        EXPECT_EQ(shownIcon, c.expectedIcon) << c.caption;
        if (!c.screenshot.empty()) {
            EXPECT_GT(colours, 20) << c.caption;
        }
    }
    EXPECT_EQ(Desktop().ShownBoxIcon(), 0u);  // no box open
}
