// What the receiver's replies mean, for replies no well-behaved receiver sends: odd
// separators and version fields, partial memory replies, long headers, other tags.
#include "command/ReplyInterpreter.h"

#include <gtest/gtest.h>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "tests/command/ReplyText.h"
#include "tests/support/ScriptedUi.h"
#include "ui/FrameWindow.h"

namespace {

using replytext::Memory;
using replytext::Sentence;
using replytext::Version;

class ReplyInterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override { theUnit.ResetForStart(); }
    void TearDown() override { theUnit.ResetForStart(); }

    static bool Interpret(const std::string& line) {
        return ReplyInterpreter::Interpret(theUnit, line);
    }
};

TEST_F(ReplyInterpreterTest, UnsupportedReceiverIsRecognisedAndKeepsTheEarlierModel) {
    ASSERT_TRUE(Interpret(Version("037", "1.23")));
    ASSERT_EQ(theUnit.family, 15);

    EXPECT_TRUE(Interpret(Version("099", "7.77")));
    EXPECT_EQ(theUnit.family, 1);
    EXPECT_EQ(theUnit.unitType, 15);
    EXPECT_EQ(theUnit.unitName, "Pathwick");
    EXPECT_EQ(theUnit.fwMajor, 1);
    EXPECT_EQ(theUnit.fwMinor, 23);

    // Anything but "," after the code: unsupported, even with a known code.
    for (char separator : {' ', ';', '0'}) {
        theUnit.ResetForStart();
        EXPECT_TRUE(Interpret(Version("037", "1.23", "", separator)));
        EXPECT_EQ(theUnit.family, 1);
        EXPECT_EQ(theUnit.unitName, "");
    }
    // Replies that end before the separator or before the model text: unsupported too.
    theUnit.ResetForStart();
    EXPECT_TRUE(Interpret(Sentence("PXRVVER,037")));
    EXPECT_EQ(theUnit.family, 1);
    EXPECT_TRUE(Interpret(Version("023", "2.10", "GPS 7K1")));
    EXPECT_EQ(theUnit.family, 1);
}

TEST_F(ReplyInterpreterTest, VersionFieldGivesMajorAndMinor) {
    struct Case {
        const char* field;
        int major, minor;
    };
    for (const Case& c : {Case{"1.23", 1, 23}, Case{"V 2 . 7", 2, 7}, Case{"ver3.x", 3, 0},
                          Case{"12. .34", 12, 34}, Case{"99999999999.1", 2147483647, 1}}) {
        SCOPED_TRACE(c.field);
        ReplyInterpreter::FirmwareVersion version = ReplyInterpreter::ParseVersion(c.field);
        EXPECT_EQ(version.major, c.major);
        EXPECT_EQ(version.minor, c.minor);
    }
    // Through a whole reply: the field starts right after the separator.
    EXPECT_TRUE(Interpret(Version("044", "2.05")));
    EXPECT_EQ(theUnit.fwMajor, 2);
    EXPECT_EQ(theUnit.fwMinor, 5);
}

TEST_F(ReplyInterpreterTest, VersionIsNeverReadFromTheChecksum) {
    theUnit.fwMajor = 9;
    theUnit.fwMinor = 9;
    // No digit in the body after the code: the checksum's digits are not a version.
    std::string line = Sentence("PXRVVER,037,none");
    ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(line[line.size() - 2])) ||
                std::isdigit(static_cast<unsigned char>(line[line.size() - 1])));
    EXPECT_TRUE(Interpret(line));
    EXPECT_EQ(theUnit.family, 15);
    EXPECT_EQ(theUnit.fwMajor, 0);
    EXPECT_EQ(theUnit.fwMinor, 0);
}

TEST_F(ReplyInterpreterTest, MemoryReplyWithoutMapMemoryMakesTheSharedCodeTheGpsModel) {
    ScriptedUi ui;
    ui::FrameWindow frame;
    const ui::MenuTemplate menu{1, "Test", {}};
    ASSERT_TRUE(frame.Create(menu));
    theApp.mainWindow = &frame;

    EXPECT_TRUE(Interpret(Version("033", "3.01")));
    EXPECT_EQ(theUnit.family, 5);
    EXPECT_EQ(theUnit.unitType, 7);
    EXPECT_EQ(theUnit.unitName, "Solvanta");

    // With map memory it stays what it is; a memory reply is never a recognised sentence.
    EXPECT_FALSE(Interpret(Memory("2048,512,7")));
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{2048, 512, 7}));
    EXPECT_EQ(theUnit.unitType, 7);

    EXPECT_FALSE(Interpret(Memory("2048,0,7")));
    EXPECT_EQ(theUnit.family, 6);
    EXPECT_EQ(theUnit.unitType, 6);
    EXPECT_EQ(theUnit.unitName, "Solvanta GPS");
    EXPECT_EQ(theUnit.productCode, "033");
    EXPECT_EQ(theUnit.askMapHeader, 1);
    EXPECT_EQ(theUnit.askPoiHeader, 0);
    EXPECT_EQ(theUnit.fwMajor, 3);
    EXPECT_EQ(frame.PaneText(0), "Solvanta GPS");
    EXPECT_EQ(ui.Log().StatusTexts(0).back(), "Solvanta GPS");

    theApp.mainWindow = nullptr;
    frame.Destroy();
}

TEST_F(ReplyInterpreterTest, MemoryAndHeaderRepliesAndOtherTags) {
    // Fields that are absent keep their values; the checksum is not part of the last.
    theUnit.memInfo = {11, 22, 33};
    EXPECT_FALSE(Interpret(Memory(" -4,6")));
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{-4, 6, 33}));
    EXPECT_FALSE(Interpret(Memory("1,0,99")));
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{1, 0, 99}));
    EXPECT_EQ(theUnit.unitType, 0);  // the memory rule is for unit type 7 only

    // Headers keep their checksum and are cut to 127 characters.
    std::string poi = Sentence("PXRVPOI,POI,V2,CITIES");
    EXPECT_TRUE(Interpret(poi));
    EXPECT_EQ(theUnit.poiHeader, poi.substr(9));
    EXPECT_TRUE(Interpret(Sentence("PXRVMPH," + std::string(200, 'M'))));
    EXPECT_EQ(theUnit.mapHeader, std::string(127, 'M'));
    EXPECT_EQ(theUnit.poiHeader, poi.substr(9));

    for (const char* body : {"PXRVXYZ,1", "PXRVver,037,1.0", "GPGGA,1,2", "PXRVVER"})
        EXPECT_FALSE(Interpret(Sentence(body))) << body;
    EXPECT_EQ(theUnit.family, 0);
}

}  // namespace
