#include <gtest/gtest.h>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "image/ImageReader.h"
#include "res/Resource.h"
#include "tests/image/ImageTestFiles.h"
#include "tests/support/ScriptedUi.h"
#include "ui/Runtime.h"

using namespace imagetest;

namespace {

constexpr char kWarning[] = "WARNING - FIRMWARE PROBLEM";

class ImageValidation : public ImageFiles {
  protected:
    void SetUp() override {
        theUnit.ResetForStart();
        theUnit.productCode = "024";
        theUnit.unitName = "GPS 7K2";
        theApp.manualMode = 1;
    }
    void TearDown() override {
        theUnit.ResetForStart();
        theApp.manualMode = 1;
    }

    // The warnings shown, by their upper line; each must carry the fixed lower line.
    std::vector<std::string> Warnings() {
        std::vector<std::string> shown;
        for (const ui::TranscriptEntry& entry : ui.Log().Entries()) {
            if (entry.kind != ui::TranscriptEntry::Kind::DialogRefresh &&
                entry.kind != ui::TranscriptEntry::Kind::DialogOpened) {
                continue;
            }
            const std::string* upper = entry.Control(IDC_WARNING_UPPER);
            const std::string* lower = entry.Control(IDC_WARNING_LOWER);
            if (entry.caption != kWarning || upper == nullptr || upper->empty())
                continue;
            EXPECT_EQ(*lower, "THIS COULD RENDER THE UNIT INOPERABLE!");
            if (shown.empty() || shown.back() != *upper)
                shown.push_back(*upper);
        }
        return shown;
    }

    ScriptedUi ui;
};

}  // namespace

TEST_F(ImageValidation, Family2CodeNeeds024AtOffset1024) {
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteBytes("code.bin", samples::Family2Code(4096, 1))));
    EXPECT_EQ(reader.Validate(0, false), 1);
    EXPECT_TRUE(Warnings().empty());

    samples::Bytes other = samples::Family2Code(4096, 1);
    other[1026] = '5';
    std::string path = WriteBytes("other.bin", other);
    ui.OnDialog(kWarning).Press(ui::IDCANCEL);
    ui.OnDialog(kWarning).Press(ui::IDOK);
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.Validate(0, false), 0);
    EXPECT_EQ(reader.Validate(0, false), 1);
    EXPECT_EQ(reader.Validate(0, true), 1);
    EXPECT_EQ(Warnings(),
              std::vector<std::string>{path + " does not appear to contain code for GPS 7K2."});

    // Too short to hold the mark.
    ui.OnDialog(kWarning).Press(ui::IDCANCEL);
    ASSERT_TRUE(reader.Open(WriteText("short.bin", "0")));
    EXPECT_EQ(reader.Validate(0, false), 0);
}

TEST_F(ImageValidation, PoiDatabaseMustBeSevenBitTextAt220To347) {
    samples::Bytes poi = samples::PoiDatabase(2000, 2);
    ImageReader reader;
    poi[348] = 0xFF;  // just past the checked bytes
    ASSERT_TRUE(reader.Open(WriteBytes("poi.bin", poi)));
    EXPECT_EQ(reader.Validate(1, false), 1);
    for (int type = 1; type <= 4; ++type) {
        ASSERT_TRUE(reader.Open(WriteBytes("city.bin", samples::CityDatabase(type, 5000, 3))));
        EXPECT_EQ(reader.Validate(1, false), 1) << type;
    }
    EXPECT_TRUE(Warnings().empty());

    poi[347] = 0x80;
    std::string path = WriteBytes("bad.bin", poi);
    ui.OnDialog(kWarning).Press(ui::IDCANCEL);
    ui.OnDialog(kWarning).Close();
    ui.OnDialog(kWarning).Press(ui::IDOK);
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.Validate(1, false), 0);
    EXPECT_EQ(reader.Validate(1, false), 0);
    // Continue lets the image through, as it does for the other kinds.
    EXPECT_EQ(reader.Validate(1, false), 1);
    EXPECT_EQ(Warnings(),
              std::vector<std::string>{path + " does not appear to contain POIs for GPS 7K2."});
}

TEST_F(ImageValidation, BinaryChecksOnAnSRecordImageWarnAndConsumeNothing) {
    std::string path = WriteText("code.hex", samples::CodeImageSRecord("024", 3, 16, 8000, 4));
    ImageReader reader;
    ASSERT_TRUE(reader.Open(path));
    ui.OnDialog(kWarning).Press(ui::IDOK);
    ui.OnDialog(kWarning).Press(ui::IDOK);
    EXPECT_EQ(reader.Validate(0, false), 1);
    EXPECT_EQ(reader.Validate(1, false), 1);
    EXPECT_EQ(reader.Validate(1, true), 1);
    EXPECT_EQ(Warnings().size(), 2u);
    ExpectContiguous(ReadAll(reader, 1980), samples::kCodeLoadAddress,
                     samples::CodeBytes("024", 3, 16, 8000, 4));
}

TEST_F(ImageValidation, CodeVersionLineMustCarryTheProductCode) {
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteText("code.hex", samples::CodeImageSRecord("024", 3, 16, 8000, 5))));
    EXPECT_EQ(reader.Validate(2, false), 1);
    EXPECT_TRUE(reader.versionFound);
    EXPECT_EQ(reader.versionMajor, 3u);
    EXPECT_EQ(reader.versionMinor, 16u);

    std::string path = WriteText("other.hex", samples::CodeImageSRecord("025", 2, 5, 8000, 5));
    ASSERT_TRUE(reader.Open(path));
    ui.OnDialog(kWarning).Press(ui::IDCANCEL);
    EXPECT_EQ(reader.Validate(2, false), 0);
    EXPECT_EQ(reader.versionMajor, 2u);
    EXPECT_EQ(reader.versionMinor, 5u);
    EXPECT_EQ(Warnings(),
              std::vector<std::string>{path + " does not appear to contain code for GPS 7K2."});

    // A product code of letters can never match: the test is on the hex text.
    theUnit.productCode = "ABC";
    ASSERT_TRUE(reader.Open(WriteText("abc.hex", samples::CodeImageSRecord("ABC", 1, 0, 8000, 5))));
    ui.OnDialog(kWarning).Press(ui::IDCANCEL);
    EXPECT_EQ(reader.Validate(2, false), 0);
}

TEST_F(ImageValidation, QuietCodeCheckShowsNothingAndStillReadsTheVersion) {
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteText("other.hex", samples::CodeImageSRecord("777", 4, 2, 8000, 6))));
    EXPECT_EQ(reader.Validate(2, true), 1);
    EXPECT_EQ(reader.versionMajor, 4u);
    EXPECT_EQ(reader.versionMinor, 2u);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(ImageValidation, AfterTheCodeCheckTheFirstRecordIsTheFirstDataLine) {
    for (bool header : {true, false}) {
        samples::SRecordFormat format;
        format.header = header;
        ImageReader reader;
        ASSERT_TRUE(reader.Open(
            WriteText("code.hex", samples::CodeImageSRecord("024", 3, 16, 9000, 7, format))));
        // Part of the image already read: the check still starts over and puts it back.
        std::vector<std::uint8_t> buffer(ImageReader::MaxRecordLength(1980));
        std::uint32_t address = 0;
        reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address);
        EXPECT_EQ(reader.Validate(2, false), 1);
        ExpectContiguous(ReadAll(reader, 1980), samples::kCodeLoadAddress,
                         samples::CodeBytes("024", 3, 16, 9000, 7));
    }
}

TEST_F(ImageValidation, CodeWithoutVersionLineFails) {
    // Data all around 2D004E00, but no line begins there.
    samples::SRecordFormat format;
    format.bytesPerLine = 24;
    std::string path = WriteText(
        "noversion.hex",
        samples::ToSRecords(
            {{samples::kCodeLoadAddress + 4, samples::CodeBytes("024", 3, 16, 8000, 8)}}, format));
    ImageReader reader;
    ASSERT_TRUE(reader.Open(path));
    ui.OnDialog(kWarning).Press(ui::IDCANCEL);
    EXPECT_EQ(reader.Validate(2, false), 0);
    EXPECT_FALSE(reader.versionFound);
    EXPECT_EQ(reader.versionMajor, 0u);
    EXPECT_EQ(Warnings(),
              std::vector<std::string>{path + " does not appear to contain code for GPS 7K2."});
    EXPECT_EQ(reader.Validate(2, true), 1);
    EXPECT_TRUE(Warnings().size() == 1u);
}

TEST_F(ImageValidation, ContinueOnSRecordCodeNeedsManualOrExpertMode) {
    std::string path = WriteText("other.hex", samples::CodeImageSRecord("025", 1, 1, 8000, 9));
    ImageReader reader;
    ASSERT_TRUE(reader.Open(path));
    ui.OnDialog(kWarning).Repeat().Press(ui::IDOK);
    EXPECT_EQ(reader.Validate(2, false), 1);
    theApp.manualMode = 0;
    theUnit.expertMode = 1;
    EXPECT_EQ(reader.Validate(2, false), 1);
    EXPECT_FALSE(ui::Runtime::Get().QuitPosted());

    // An automatic upload: Continue ends the program.
    theUnit.expertMode = 0;
    EXPECT_EQ(reader.Validate(2, false), 0);
    EXPECT_TRUE(ui::Runtime::Get().QuitPosted());
    EXPECT_EQ(ui::Runtime::Get().QuitCode(), 0);
}

TEST_F(ImageValidation, BinaryCodeAndSRecordMapsDrawTheirWarnings) {
    std::string code = WriteBytes("code.bin", samples::Family2Code(5000, 10));
    std::string map =
        WriteText("map.hex", samples::ToSRecords({{0, samples::RandomBytes(3000, 10)}}));
    ImageReader reader;
    ui.OnDialog(kWarning).Repeat().Press(ui::IDOK);
    ASSERT_TRUE(reader.Open(code));
    EXPECT_EQ(reader.Validate(2, true), 1);
    EXPECT_EQ(reader.Validate(2, false), 1);
    EXPECT_FALSE(reader.versionFound);
    ASSERT_TRUE(reader.Open(map));
    EXPECT_EQ(reader.Validate(3, true), 1);
    EXPECT_EQ(reader.Validate(3, false), 1);
    EXPECT_EQ(Warnings(), (std::vector<std::string>{
                              code + " does not appear to contain code for GPS 7K2.",
                              map + " does not appear to contain map data for GPS 7K2."}));
    EXPECT_FALSE(ui::Runtime::Get().QuitPosted());
}

TEST_F(ImageValidation, BinaryMapPassesAndBadReadersStop) {
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteBytes("map.img", samples::MapImage("LAKES", "1.2", 600, 4000, 11))));
    EXPECT_EQ(reader.Validate(3, false), 1);
    EXPECT_EQ(reader.Validate(4, false), 1);
    EXPECT_FALSE(reader.Open("missing.img"));
    for (int kind = 0; kind <= 4; ++kind)
        EXPECT_EQ(reader.Validate(kind, false), 0) << kind;
    EXPECT_TRUE(Warnings().empty());
}
