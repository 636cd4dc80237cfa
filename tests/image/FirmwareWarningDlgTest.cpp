#include <gtest/gtest.h>

#include "dialogs/CFirmwareWarningDlg.h"
#include "res/Resource.h"
#include "tests/support/ScriptedUi.h"

TEST(FirmwareWarningDlg, ShowsBothLinesAndAnswersContinueOrAbort) {
    struct Case {
        const char* how;
        int expected;
    };
    for (Case c :
         {Case{"continue", ui::IDOK}, Case{"abort", ui::IDCANCEL}, Case{"close", ui::IDCANCEL},
          Case{"escape", ui::IDCANCEL}, Case{"enter", ui::IDOK}}) {
        ScriptedUi ui;
        ui::ScriptRule& rule = ui.OnDialog("WARNING - FIRMWARE PROBLEM");
        std::string how = c.how;
        if (how == "continue")
            rule.Press(ui::IDOK);
        if (how == "abort")
            rule.Press(ui::IDCANCEL);
        if (how == "close")
            rule.Close();
        if (how == "escape")
            rule.Escape();
        if (how == "enter")
            rule.Enter();
        CFirmwareWarningDlg dialog("upper text", "lower text");
        EXPECT_EQ(dialog.DoModal(), c.expected) << how;
        auto upper = ui.Log().ControlHistory("WARNING - FIRMWARE PROBLEM", IDC_WARNING_UPPER);
        auto lower = ui.Log().ControlHistory("WARNING - FIRMWARE PROBLEM", IDC_WARNING_LOWER);
        ASSERT_FALSE(upper.empty() || lower.empty());
        EXPECT_EQ(upper.back(), "upper text");
        EXPECT_EQ(lower.back(), "lower text");
        EXPECT_EQ(dialog.upperLine, "upper text");
    }
}
