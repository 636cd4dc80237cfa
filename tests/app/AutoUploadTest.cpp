// The automatic upload at start: "orvane.ini" in the working directory names the receiver
// and the images; the program confirms, identifies the receiver and runs its driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "res/Resource.h"
#include "tests/app/UploadTestBench.h"
#include "tests/support/SpecialFiles.h"
#include "tools/sample-images/SampleImages.h"

using apptest::kConnect;
using Strings = std::vector<std::string>;

namespace {

class AutoUploadTest : public apptest::UploadTestBench {
  protected:
    // The text the "Upload" question showed.
    std::string ConfirmText() {
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::DialogRefresh && entry.caption == "Upload")
                return entry.Control(IDC_VERSION_TEXT) ? *entry.Control(IDC_VERSION_TEXT) : "";
        }
        return "(not shown)";
    }
    bool UploadEnabled() { return app.MainFrame()->IsCommandEnabled(ID_UPLOAD); }
};

// The whole start of the program for a user with an "orvane.ini": everything shown, in order.
TEST_F(AutoUploadTest, StartWithCodeAndPoisShowsEveryStepInOrder) {
    samples::WriteFile("code.hex", samples::CodeImageSRecord("037", 3, 10, 8000, 1));
    samples::WriteFile("poi.bin", samples::PoiDatabase(2000, 2));
    TempWorkDir::Write("orvane.ini",
                       "[Pathwick]\nCODE=code.hex\nunused\nMAP=poi.bin\nNAME = Sights\n");
    Plug("Pathwick");
    plans.push_back({});
    plans.push_back({});
    ui.OnDialog("Upload").Press(ui::IDOK);
    ExpectBox("STATUS", "Upload complete");
    ExpectBox("CONTINUE AUTO UPLOAD", "Power on GPS unit\nto upload code.");
    ExpectBox("STATUS", "Upload complete");

    ASSERT_TRUE(Start());

    const Strings identified = Identified("Pathwick");
    EXPECT_EQ(Seen(), Join({{"status Ready", "open Upload", "close Upload 1"},
                            identified,
                            {"driver make 15", "driver run 15", "box STATUS: Upload complete",
                             "driver delete 15",
                             "box CONTINUE AUTO UPLOAD: Power on GPS unit\nto upload code."},
                            identified,
                            {"driver make 15", "driver run 15 second auto pass",
                             "box STATUS: Upload complete", "driver delete 15"}}));
    EXPECT_EQ(ConfirmText(), "Updating to version 3.10");
    EXPECT_EQ(app.manualMode, 0);
    EXPECT_EQ(std::tuple(unit.autoUpload, unit.autoFirstPass, unit.codeChosen, unit.dataChosen),
              std::tuple(0, 1, 0, 0));
    // After an automatic upload, Upload waits for expert mode.
    EXPECT_FALSE(UploadEnabled());
    unit.expertMode = 1;
    EXPECT_TRUE(UploadEnabled());
}

TEST_F(AutoUploadTest, MapAloneRunsOneUploadAsTheSecondPass) {
    samples::WriteFile("map.img", samples::MapImage("LAKES", "1.2", 600, 4000, 3));
    TempWorkDir::Write("orvane.ini",
                       "[Pathwick Color]\nCODE=\n\nMAP=map.img\nNAME = Great Lakes\n");
    Plug("Pathwick Color");
    plans.push_back({.kind = 1});
    ui.OnDialog("Upload").Press(ui::IDOK);
    ExpectBox("STATUS", "Upload of BASE MAP complete");

    ASSERT_TRUE(Start());
    EXPECT_EQ(ConfirmText(), "Updating map to Great Lakes");
    EXPECT_EQ(events, (Strings{"make 5", "run 5 second auto pass", "delete 5"}));
    EXPECT_EQ(unit.autoFirstPass, 1);
}

TEST_F(AutoUploadTest, NoToTheQuestionChangesNothing) {
    TempWorkDir::Write("raw.bin", std::string(3000, '\x11'));
    TempWorkDir::Write("orvane.ini", "[Pathwick]\nCODE=raw.bin\n\nMAP=\n\n");
    ui.OnDialog("Upload").Press(ui::IDCANCEL);

    ASSERT_TRUE(Start());
    // A raw code image has no version record.
    EXPECT_EQ(ConfirmText(), "UPDATING TO UNKNOWN VERSION!");
    EXPECT_EQ(ui.Log().Count(kConnect), 0);
    EXPECT_EQ(std::tuple(unit.autoUpload, unit.codeChosen), std::tuple(0, 1));
    EXPECT_EQ(app.manualMode, 0);
}

TEST_F(AutoUploadTest, AMapRefusedByItsCheckLeavesTheQuestionWithoutText) {
    samples::WriteFile("map.srec", samples::ToSRecords({{0x1000, samples::RandomBytes(64, 4)}}));
    TempWorkDir::Write("orvane.ini", "[Pathwick Color]\nCODE=\n\nMAP=map.srec\nNAME = Lakes\n");
    ui.OnDialog("WARNING - FIRMWARE PROBLEM").Press(ui::IDCANCEL);
    ui.OnDialog("Upload").Press(ui::IDCANCEL);

    ASSERT_TRUE(Start());
    EXPECT_EQ(ConfirmText(), "");
    // No receiver is identified yet: the warning names none.
    EXPECT_EQ(ui.Log().ControlHistory("WARNING - FIRMWARE PROBLEM", IDC_WARNING_UPPER).back(),
              "map.srec does not appear to contain map data.");
    EXPECT_EQ(Seen(),
              (Strings{"status Ready", "open WARNING - FIRMWARE PROBLEM",
                       "close WARNING - FIRMWARE PROBLEM 2", "open Upload", "close Upload 2"}));
}

TEST_F(AutoUploadTest, CancelledScanEndsTheAutomaticUploadWithoutTheSecondPass) {
    TempWorkDir::Write("code.hex", "S0");
    TempWorkDir::Write("orvane.ini", "[Pathwick]\nCODE=code.hex\n\nMAP=\n\n");
    ui.OnDialog("Upload").Press(ui::IDOK);
    ui.OnDialog(kConnect).After(2500).Press(ui::IDCANCEL);

    ASSERT_TRUE(Start());
    EXPECT_EQ(ui.Log().Count("opened"), 2);
    EXPECT_TRUE(ui.Log().MessageBoxes().empty());
    EXPECT_EQ(std::tuple(unit.autoUpload, unit.codeChosen), std::tuple(0, 0));
}

// Settings are read only from regular files: "orvane.cfg" as a FIFO would hold the start
// for ever. What was refused is said once there is a window; the defaults apply.
TEST_F(AutoUploadTest, SettingsThatAreNoRegularFilesAreRefusedAndSaid) {
    std::optional<NonRegularFile> settings(std::in_place, "orvane.cfg", "15  1     9600\n");
    ASSERT_TRUE(settings->Made());
    std::filesystem::create_directory("orvane.ini");
    unit.ResetForStart();
    ExpectBoxes({"ERROR: orvane.cfg was not read: it is not a regular file.",
                 "ERROR: orvane.ini was not read: it is not a regular file."});

    ASSERT_TRUE(Start());
    settings.reset();
    EXPECT_EQ(std::tuple(unit.family, unit.comIndex, unit.baud), std::tuple(0, 0, 4800));
    EXPECT_EQ(app.manualMode, 1);
}

TEST_F(AutoUploadTest, WithoutOrvaneIniTheProgramStartsInManualMode) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(app.manualMode, 1);
    EXPECT_TRUE(UploadEnabled());
    EXPECT_EQ(Seen(), (Strings{"status Ready"}));
}

}  // namespace
