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
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        theUnit.ResetForStart();
        theApp.unitMapName.clear();
        theApp.unitMapVersion.clear();
        theApp.imageMapName.clear();
        theApp.imageMapVersion.clear();
    }

    TempWorkDir dir;
    ScriptedUi ui;
};

TEST_F(FirmwareAndMapConfirm, QuestionNamesBothVersionsAndOnlyOkProceeds) {
    samples::WriteFile("code.hex", samples::CodeImageSRecord("024", 3, 10, 8000, 1));
    theUnit.productCode = "024";
    theUnit.fwMajor = 2;
    theUnit.fwMinor = 5;
    theUnit.codePath = "code.hex";
    ui.OnMessageBox(kQuestion205To310, "Confirm").Press(ui::IDOK);
    EXPECT_TRUE(theApp.ConfirmFirmwareOverwrite(nullptr));
    ui.OnMessageBox(kQuestion205To310, "Confirm").Press(ui::IDCANCEL);
    EXPECT_FALSE(theApp.ConfirmFirmwareOverwrite(nullptr));
    EXPECT_EQ(ui.Log().Count("box \"Confirm\" [OK Cancel question]"), 2) << ui.Log().Dump();
}

TEST_F(FirmwareAndMapConfirm, TheCallersReaderGivesTheVersionAndARawImageReadsAsZero) {
    samples::WriteFile("raw.bin", samples::Family2Code(4096, 2));
    ImageReader reader;
    ASSERT_TRUE(reader.Open("raw.bin"));
    reader.versionMajor = 0xFFFF;  // left from nothing: a raw image has no version record
    ASSERT_EQ(reader.Validate(2, true), 1);
    ui.OnMessageBox(
          "Unit currently contains firmware\nversion 0.00\n\nThis will overwrite\nwith version "
          "0.00",
          "Confirm")
        .Press(ui::IDOK);
    EXPECT_TRUE(theApp.ConfirmFirmwareOverwrite(&reader));
}

TEST_F(FirmwareAndMapConfirm, NoQuestionInExpertModeOrForAnImageThatCannotBeRead) {
    theUnit.expertMode = 1;
    theUnit.codePath = "missing.hex";
    EXPECT_TRUE(theApp.ConfirmFirmwareOverwrite(nullptr));
    theUnit.expertMode = 0;
    EXPECT_FALSE(theApp.ConfirmFirmwareOverwrite(nullptr));
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
        theUnit.mapHeader = c.header;
        theApp.ReadMapInfo();
        EXPECT_EQ(theApp.unitMapName, c.name) << c.header;
        EXPECT_EQ(theApp.unitMapVersion, c.version) << c.header;
    }
    // An empty header empties the name and leaves the version.
    theUnit.mapHeader.clear();
    theApp.ReadMapInfo();
    EXPECT_EQ(theApp.unitMapName, "");
    EXPECT_EQ(theApp.unitMapVersion, "7");
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
        theUnit.dataPath = "map.img";
        theApp.imageMapVersion.clear();
        theApp.ReadMapInfo();
        EXPECT_EQ(theApp.imageMapName, c.expected) << c.offset;
        EXPECT_EQ(theApp.imageMapVersion, "2.5") << c.offset;
    }
}

TEST_F(FirmwareAndMapConfirm, MapImageWithoutMarkerOrNameLeavesTheImageNameEmpty) {
    theApp.imageMapName = "OLD";
    // A literal assigned here trips a false -Wrestrict of g++ 12 at -O3.
    theApp.imageMapVersion = std::string("9");
    const std::string withoutName = std::string(700, 'x') + "[MAP_INFO]\r\nVERSION=1\r\n";
    for (const std::string& content : {std::string(3000, 'x'), withoutName}) {
        TempWorkDir::Write("map.img", content);
        theUnit.dataPath = "map.img";
        theApp.ReadMapInfo();
        EXPECT_EQ(theApp.imageMapName, "");
        EXPECT_EQ(theApp.imageMapVersion, "9");
    }
    theUnit.dataPath = "missing.img";
    theApp.imageMapName = "OLD";
    theApp.ReadMapInfo();
    EXPECT_EQ(theApp.imageMapName, "");
}

}  // namespace
