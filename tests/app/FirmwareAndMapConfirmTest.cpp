// The overwrite question before program code is written, and the map names that the map
// drivers compare.
#include <gtest/gtest.h>

#include <string>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "image/ImageReader.h"
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
    EXPECT_EQ(ui.Log().Count("box \"Confirm\" [OK Cancel question]"), 2) << ui.Log().Dump();
}

TEST_F(FirmwareAndMapConfirm, TheCallersReaderGivesTheVersionAndARawImageReadsAsZero) {
    samples::WriteFile("raw.bin", samples::Family2Code(4096, 2));
    ImageReader reader;
    ASSERT_TRUE(reader.Open("raw.bin"));
    reader.versionMajor = 0xFFFF;  // left from nothing: a raw image has no version record
    ASSERT_EQ(reader.Validate(2, true, app.ImageCheck()), 1);
    ui.OnMessageBox(
          "Unit currently contains firmware\nversion 0.00\n\nThis will overwrite\nwith version "
          "0.00",
          "Confirm")
        .Press(ui::IDOK);
    EXPECT_TRUE(app.ConfirmFirmwareOverwrite(&reader));
}

TEST_F(FirmwareAndMapConfirm, NoQuestionInExpertModeOrForAnImageThatCannotBeRead) {
    unit.expertMode = 1;
    unit.codePath = "missing.hex";
    EXPECT_TRUE(app.ConfirmFirmwareOverwrite(nullptr));
    unit.expertMode = 0;
    EXPECT_FALSE(app.ConfirmFirmwareOverwrite(nullptr));
    EXPECT_TRUE(ui.Log().MessageBoxes().empty());
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

TEST_F(FirmwareAndMapConfirm, MapInfoIsFoundAcrossReadsAndInTheLastPartialBlock) {
    std::string longName(45, 'N');
    struct Case {
        std::size_t offset;
        std::size_t size;
        std::string name;
        std::string expected;
    } cases[] = {
        {0, 600, "START", "START"},
        {512 - 5, 2000, "STRADDLE", "STRADDLE"},  // the marker spans the first two reads
        {512 + 503 - 3, 2000, "SECOND", "SECOND"},
        {4990, 5001, "TAIL", "TAIL"},  // in the last, partly filled block
        {100, 1000, longName, longName.substr(0, 39)},
    };
    for (const Case& c : cases) {
        samples::WriteFile("map.img", samples::MapImage(c.name, "2.5", c.offset, c.size, 3));
        unit.dataPath = "map.img";
        app.imageMapVersion.clear();
        app.ReadMapInfo();
        EXPECT_EQ(app.imageMapName, c.expected) << c.offset;
        EXPECT_EQ(app.imageMapVersion, "2.5") << c.offset;
    }
}

}  // namespace
