// What the receiver's replies mean, including replies no well-behaved receiver sends, and
// the map-header rule that tells the two models of one product code apart.
#include "command/ReplyInterpreter.h"

#include <gtest/gtest.h>

#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/MapHeaderRule.h"
#include "tests/command/ReplyText.h"
#include "tests/support/ScriptedUi.h"
#include "ui/FrameWindow.h"

namespace {

using namespace replytext;

class ReplyInterpreterTest : public ::testing::Test {
  protected:
    void TearDown() override { theUnit.ResetForStart(); }
    static bool Interpret(const std::string& line) {
        return ReplyInterpreter::Interpret(theUnit, line);
    }
};

TEST_F(ReplyInterpreterTest, UnsupportedReceiverIsRecognisedAndKeepsTheEarlierModel) {
    ASSERT_TRUE(Interpret(Version("037", "1.23")));
    EXPECT_TRUE(Interpret(Version("099", "7.77")));
    EXPECT_EQ(theUnit.family, 1);
    EXPECT_EQ(std::pair(theUnit.unitName, theUnit.fwMinor), std::pair(std::string("Pathwick"), 23));

    // Unsupported too: anything but "," after a known code, replies that end before the
    // separator or the model text, and "023" without its model text.
    for (const std::string& line :
         {Version("037", "1.23", "", ' '), Version("037", "1.23", "", ';'), Sentence("PXRVVER,037"),
          Version("023", "2.10", "GPS 7K1"), Version("023", "2.10", "GPS 7K3 PRO")}) {
        theUnit.ResetForStart();
        EXPECT_TRUE(Interpret(line));
        EXPECT_EQ(theUnit.family, 1) << line;
        EXPECT_EQ(theUnit.unitName, "") << line;
    }

    // Other sentences are not recognised: they must not end a scan.
    for (const char* body : {"PXRVXYZ,1", "PXRVver,037,1.0", "GPGGA,1,2", "PXRVVER"})
        EXPECT_FALSE(Interpret(Sentence(body))) << body;
    EXPECT_EQ(theUnit.family, 1);  // the last version reply's
}

TEST_F(ReplyInterpreterTest, VersionFieldGivesMajorAndMinorAndNeverOverflows) {
    struct Case {
        const char* field;
        int major, minor;
    };
    for (const Case& c :
         {Case{"1.23", 1, 23}, Case{"2.05", 2, 5}, Case{"3", 3, 0}, Case{"1.5", 1, 5},
          Case{"V 2 . 7", 2, 7}, Case{"12. .34", 12, 34}, Case{"99999999999.1", 2147483647, 1}}) {
        EXPECT_TRUE(Interpret(Version("044", c.field)));
        EXPECT_EQ(std::pair(theUnit.fwMajor, theUnit.fwMinor), std::pair(c.major, c.minor))
            << c.field;
    }
    // No digit in the body after the code: the checksum's digits are not a version.
    std::string line = Sentence("PXRVVER,037,none");
    ASSERT_EQ(line.substr(line.size() - 3), "*73");
    EXPECT_TRUE(Interpret(line));
    EXPECT_EQ(std::pair(theUnit.fwMajor, theUnit.fwMinor), std::pair(0, 0));
}

TEST_F(ReplyInterpreterTest, MemoryReplyWithoutMapMemoryMakesTheSharedCodeTheGpsModel) {
    ScriptedUi ui;
    ui::FrameWindow frame;
    ASSERT_TRUE(frame.Create(ui::MenuTemplate{1, "Test", {}}));
    theApp.mainWindow = &frame;

    // Fields that are absent keep their values; the rule is for unit type 7 only.
    theUnit.memInfo = {11, 22, 33};
    EXPECT_FALSE(Interpret(Sentence("PXRVMEM, -4,0")));
    EXPECT_EQ(theUnit.memInfo, (std::array<int, 3>{-4, 0, 33}));
    EXPECT_EQ(theUnit.unitType, 0);

    EXPECT_TRUE(Interpret(Version("033", "3.01")));
    // With map memory it stays what it is; a memory reply is never a recognised sentence.
    EXPECT_FALSE(Interpret(Sentence("PXRVMEM,2048,512,7")));
    EXPECT_EQ(theUnit.unitType, 7);
    EXPECT_FALSE(Interpret(Sentence("PXRVMEM,2048,0,7")));
    EXPECT_EQ(std::pair(theUnit.family, theUnit.unitType), std::pair(6, 6));
    EXPECT_EQ(theUnit.unitName, "Solvanta GPS");
    EXPECT_EQ(frame.PaneText(0), "Solvanta GPS");
    theApp.mainWindow = nullptr;
}

// The unit type after the map-header rule has looked at this header, on this code.
int TypeAfter(const std::string& header, const char* code = "033") {
    theUnit.ResetForStart();
    ReplyInterpreter::Interpret(theUnit, Version(code));
    theUnit.mapHeader = header;
    ApplyMapHeaderRule(theUnit);
    return theUnit.unitType;
}

TEST_F(ReplyInterpreterTest, MapHeaderFifthFieldBelowTwoAndAHalfMillionMeansUnitTypeSix) {
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,2499999*4A"), 6);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3, 0,more"), 6);
    // At the limit, too large, no fifth number or no header at all: nothing changes.
    for (const char* header : {"1,2,Europe,V3,2500000*4A", "1,2,Europe,V3,99999999999999999999",
                               "1,2,Europe,V3", "1,2,Europe,V3,", "1,2,Europe,V3,-5", ""})
        EXPECT_EQ(TypeAfter(header), 7) << header;
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,5", "030"), 5);  // only unit type 7 is switched
}

}  // namespace
