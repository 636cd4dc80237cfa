// The overwrite question before program code is written, and the map names that the map
// drivers compare.
#include <gtest/gtest.h>

#include <string>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

namespace {

constexpr char kQuestion205To310[] =
    "Unit currently contains firmware\nversion 2.05\n\nThis will overwrite\nwith version 3.10";

class FirmwareAndMapConfirm : public ::testing::Test {
  protected:
    TempWorkDir dir;
    ScriptedUi ui;
    CGpsUnit unit;
    CUploaderApp app{unit};
};

// Asked outside expert mode only; an image that cannot be read is refused without it.
TEST_F(FirmwareAndMapConfirm, QuestionNamesBothVersionsAndOnlyOkProceeds) {
    samples::WriteFile("code.hex", samples::CodeImageSRecord("024", 3, 10, 8000, 1));
    unit.productCode = "024";
    unit.fwMajor = 2;
    unit.fwMinor = 5;
    unit.codePath = "code.hex";
    ui.OnMessageBox(kQuestion205To310, "Confirm").Press(ui::IDOK);
    EXPECT_TRUE(app.ConfirmFirmwareOverwrite(nullptr));
    ui.OnMessageBox(kQuestion205To310, "Confirm").Press(ui::IDCANCEL);
    EXPECT_FALSE(app.ConfirmFirmwareOverwrite(nullptr));
    unit.codePath = "missing.hex";
    EXPECT_FALSE(app.ConfirmFirmwareOverwrite(nullptr));
    unit.expertMode = 1;
    EXPECT_TRUE(app.ConfirmFirmwareOverwrite(nullptr));
    EXPECT_EQ(ui.Log().Count("box \"Confirm\" [OK Cancel question]"), 2) << ui.Log().Dump();
    EXPECT_EQ(ui.Log().MessageBoxes().size(), 2u);
}

TEST_F(FirmwareAndMapConfirm, ReceiverMapNameAndVersionAreTheThirdAndFourthHeaderFields) {
    struct Case {
        const char* header;
        const char* name;
        const char* version;
    } cases[] = {
        {"a,b,LAKES,1.2,2600000", "LAKES", "1.2"},
        {"MAP,BASE,DEMOMAP", "DEMOMAP", ""},
        {"MAP,BASE", "", ""},
        {"MAP,BASE,,7", "", "7"},
    };
    for (const Case& c : cases) {
        unit.mapHeader = c.header;
        app.ReadMapInfo();
        EXPECT_EQ(app.unitMapName, c.name) << c.header;
        EXPECT_EQ(app.unitMapVersion, c.version) << c.header;
    }
    // An empty header empties the name and leaves the version.
    unit.mapHeader.clear();
    app.ReadMapInfo();
    EXPECT_EQ(app.unitMapName, "");
    EXPECT_EQ(app.unitMapVersion, "7");
}

}  // namespace
