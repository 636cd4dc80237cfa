// The automatic upload at start: "orvane.ini" in the working directory names the receiver
// and the images; the program confirms, identifies the receiver and runs its driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "tests/drivers/UploadBench.h"
#include "tests/support/NamedCase.h"
#include "tests/support/SpecialFiles.h"

namespace {

class AutoUploadTest : public UploadBench {
  protected:
    void SetUp() override { UseDoubles(); }
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

// The question names what is uploaded (the passes with real drivers: DriverRunsTest). Upload
// is greyed out afterwards until expert mode, and the status line says why.
struct StartCase : NamedCase {
    const char* model;
    const char* ini;  // after the section line
    int answer;
    const char* confirm;
    std::vector<DriverPlan> plans;
    Strings boxes;
    Strings events;
};

class AutoStart : public AutoUploadTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(AutoStart, ConfirmsThenUploadsInPasses) {
    const StartCase& c = GetParam();
    samples::WriteFile("map.img", samples::MapImage("LAKES", "1.2", 600, 4000, 3));
    TempWorkDir::Write("raw.bin", std::string(3000, '\x11'));
    TempWorkDir::Write("orvane.ini", std::string("[") + c.model + "]\n" + c.ini);
    Plug(c.model);
    plans.assign(c.plans.begin(), c.plans.end());
    ui.OnDialog("Upload").Press(c.answer);
    ExpectBoxes(c.boxes);

    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(ConfirmText(), c.confirm);
    EXPECT_EQ(ui.BoxTexts(), c.boxes);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(app.manualMode, 0);
    EXPECT_EQ(std::tuple(unit.autoUpload, unit.autoFirstPass), std::tuple(0, 1));
    EXPECT_EQ(ui.Log().StatusTexts().back(),
              "Upload is greyed out after the automatic upload: use Expert Setup to upload again.");
    EXPECT_FALSE(UploadEnabled());
    EXPECT_FALSE(app.MainFrame()->RunCommand(ID_UPLOAD));
    unit.expertMode = 1;
    EXPECT_TRUE(UploadEnabled());
}

const StartCase kStartCases[] = {
    {"map_alone",
     "Pathwick Color",
     "CODE=\n\nMAP=map.img\nNAME = Great Lakes\n",
     ui::IDOK,
     "Updating map to Great Lakes",
     {{.kind = 1}},
     {"STATUS: Upload of BASE MAP complete"},
     {"make 5", "run 5 second auto pass", "delete 5"}},
    // A raw code image has no version record.
    {"no_to_the_question",
     "Pathwick",
     "CODE=raw.bin\n\nMAP=\n\n",
     ui::IDCANCEL,
     "UPDATING TO UNKNOWN VERSION!",
     {},
     {},
     {}},
};

INSTANTIATE_TEST_SUITE_P(Packages, AutoStart, ::testing::ValuesIn(kStartCases), ByName);

// Settings are read only from regular files: "orvane.cfg" as a FIFO would hold the start
// for ever. What was refused is said once there is a window; the defaults apply.
TEST_F(AutoUploadTest, SettingsThatAreNoRegularFilesAreRefusedAndSaid) {
    std::optional<NonRegularFile> settings(std::in_place, "orvane.cfg", "15  1     9600\n");
    ASSERT_TRUE(settings->Made());
    std::filesystem::create_directory("orvane.ini");
    unit.ResetForStart();
    ExpectBoxes({"ERROR: orvane.cfg was not read: it is not a regular file.",
                 "ERROR: orvane.ini was not read: it is not a regular file."});

    ASSERT_TRUE(app.InitInstance());
    settings.reset();
    EXPECT_EQ(std::tuple(unit.family, unit.comIndex, unit.baud), std::tuple(0, 0, 4800));
    EXPECT_EQ(app.manualMode, 1);
}

}  // namespace
