// "orvane.cfg": the exact bytes written, and what a damaged file leaves in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TempWorkDir.h"

class SettingsFileTest : public ::testing::Test {
  protected:
    TempWorkDir dir;
    CGpsUnit unit;
    CUploaderApp app{unit};
};

// A write that fails half-way (here: no room for a single byte) leaves the file that was
// there, and says so.
TEST_F(SettingsFileTest, ASaveThatCannotBeWrittenWholeLeavesTheOldFile) {
    ScriptedUi ui;
    TempWorkDir::Write("orvane.cfg", "15  0     4800\n");
    unit.family = 5;
    {
        const FullDisk full;
        if (!full.Active())
            GTEST_SKIP() << "no way to fill the disk here";
        ui.OnMessageBox("COULD NOT WRITE\nCONFIGURATION INFO", "ERROR").Press(ui::IDOK);
        app.SaveSettings();
    }
    EXPECT_EQ(TempWorkDir::Read("orvane.cfg"), "15  0     4800\n");
    const auto files = std::distance(std::filesystem::directory_iterator("."),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, 1);  // nothing left beside it
}

TEST_F(SettingsFileTest, MissingShortOrEmptyFilesLeaveTheDefaults) {
    struct Case {
        const char* content;  // nullptr: no file
        int family, comIndex, baud;
    };
    for (const Case& c :
         {Case{nullptr, 0, 0, 4800}, Case{"", 0, 0, 4800}, Case{"15", 15, 0, 4800},
          Case{"15  2", 15, 2, 4800}, Case{"garbage", 0, 0, 4800}, Case{" 6 x 9600", 6, 0, 4800}}) {
        std::filesystem::remove("orvane.cfg");
        if (c.content != nullptr)
            TempWorkDir::Write("orvane.cfg", c.content);
        unit.ResetForStart();
        SCOPED_TRACE(c.content != nullptr ? c.content : "(no file)");
        EXPECT_EQ(unit.family, c.family);
        EXPECT_EQ(unit.comIndex, c.comIndex);
        EXPECT_EQ(unit.baud, c.baud);
    }
}

// Fields of two, two and eight characters, right-aligned; values that would read back
// differently are never written.
TEST_F(SettingsFileTest, SaveWritesExactWidthsOrNothing) {
    ScriptedUi ui;
    ui.OnMessageBox("COULD NOT WRITE\nCONFIGURATION INFO", "ERROR").Repeat().Press(ui::IDOK);
    struct Case {
        int family, comIndex, baud;
        const char* written;  // nullptr: the old file stays
    };
    for (const Case& c :
         {Case{15, 0, 4800, "15  0     4800\n"}, Case{2, 11, 921600, " 2 11   921600\n"},
          Case{5, 99, 4800, " 5 99     4800\n"}, Case{5, -1, 0, " 5 -1        0\n"},
          Case{5, -9, 4800, " 5 -9     4800\n"}, Case{5, 100, 4800, nullptr},
          Case{100, 1, 4800, nullptr}, Case{5, -10, 4800, nullptr},
          Case{5, 1, 123456789, nullptr}}) {
        SCOPED_TRACE(std::to_string(c.family) + " " + std::to_string(c.comIndex) + " " +
                     std::to_string(c.baud));
        TempWorkDir::Write("orvane.cfg", "old\n");
        unit.family = c.family;
        unit.comIndex = c.comIndex;
        unit.baud = c.baud;
        app.SaveSettings();
        EXPECT_EQ(TempWorkDir::Read("orvane.cfg"), c.written ? c.written : "old\n");
        unit.ResetForStart();
        if (c.written != nullptr) {
            EXPECT_EQ(unit.family, c.family);
            EXPECT_EQ(unit.comIndex, c.comIndex);
            EXPECT_EQ(unit.baud, c.baud);
        }
    }
    ASSERT_EQ(ui.Log().MessageBoxes().size(), 4u);
    EXPECT_EQ(ui.Log().MessageBoxes()[0]->flags, unsigned{ui::MB_OK | ui::MB_ICONINFORMATION});
}
