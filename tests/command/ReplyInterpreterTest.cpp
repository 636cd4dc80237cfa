// What the receiver's replies mean, including replies no well-behaved receiver sends, and
// the map-header rule that tells the two models of one product code apart.
#include "command/ReplyInterpreter.h"

#include <gtest/gtest.h>

#include "command/MapHeaderRule.h"
#include "tests/command/ReplyText.h"

namespace {

using namespace replytext;

class ReplyInterpreterTest : public ::testing::Test {
  protected:
    // Takes the identity the reply leads to; answers whether it was recognised.
    bool Interpret(const std::string& line) {
        ReplyInterpreter::Result result = ReplyInterpreter::Interpret(unit, line);
        unit = result.identity;
        modelChanged = result.modelChanged;
        return result.recognised;
    }

    ReceiverIdentity unit;
    bool modelChanged = false;
};

TEST_F(ReplyInterpreterTest, UnsupportedReceiverIsRecognisedAndKeepsTheEarlierModel) {
    ASSERT_TRUE(Interpret(Version("037", "1.23")));
    EXPECT_TRUE(Interpret(Version("099", "7.77")));
    EXPECT_EQ(unit.family, 1);
    EXPECT_EQ(std::pair(unit.unitName, unit.fwMinor), std::pair(std::string("Pathwick"), 23));

    // Unsupported too: anything but "," after a known code, replies that end before the
    // separator or the model text, and "023" without its model text.
    for (const std::string& line :
         {Version("037", "1.23", "", ' '), Version("037", "1.23", "", ';'), Sentence("PXRVVER,037"),
          Version("023", "2.10", "GPS 7K1"), Version("023", "2.10", "GPS 7K3 PRO")}) {
        unit = {};
        EXPECT_TRUE(Interpret(line));
        EXPECT_EQ(unit.family, 1) << line;
        EXPECT_EQ(unit.unitName, "") << line;
    }

    // Other sentences are not recognised: they must not end a scan.
    for (const char* body : {"PXRVXYZ,1", "PXRVver,037,1.0", "GPGGA,1,2", "PXRVVER"})
        EXPECT_FALSE(Interpret(Sentence(body))) << body;
    EXPECT_EQ(unit.family, 1);  // the last version reply's
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
        EXPECT_EQ(std::pair(unit.fwMajor, unit.fwMinor), std::pair(c.major, c.minor)) << c.field;
    }
    // No digit in the body after the code: the checksum's digits are not a version.
    std::string line = Sentence("PXRVVER,037,none");
    ASSERT_EQ(line.substr(line.size() - 3), "*73");
    EXPECT_TRUE(Interpret(line));
    EXPECT_EQ(std::pair(unit.fwMajor, unit.fwMinor), std::pair(0, 0));
}

TEST_F(ReplyInterpreterTest, MemoryReplyWithoutMapMemoryMakesTheSharedCodeTheGpsModel) {
    // Fields that are absent keep their values; the rule is for unit type 7 only.
    unit.memInfo = {11, 22, 33};
    EXPECT_FALSE(Interpret(Sentence("PXRVMEM, -4,0")));
    EXPECT_EQ(unit.memInfo, (std::array<int, 3>{-4, 0, 33}));
    EXPECT_EQ(unit.unitType, 0);

    EXPECT_TRUE(Interpret(Version("033", "3.01")));
    // With map memory it stays what it is; a memory reply is never a recognised sentence.
    EXPECT_FALSE(Interpret(Sentence("PXRVMEM,2048,512,7")));
    EXPECT_EQ(std::pair(unit.unitType, modelChanged), std::pair(7, false));
    EXPECT_FALSE(Interpret(Sentence("PXRVMEM,2048,0,7")));
    EXPECT_EQ(std::pair(unit.family, unit.unitType), std::pair(6, 6));
    EXPECT_EQ(std::pair(unit.unitName, modelChanged), std::pair(std::string("Solvanta GPS"), true));
}

// The unit type after the map-header rule has looked at this header, on this code.
int TypeAfter(const std::string& header, const char* code = "033") {
    ReceiverIdentity unit = ReplyInterpreter::Interpret({}, Version(code)).identity;
    unit.mapHeader = header;
    const bool changed = ApplyMapHeaderRule(unit);
    EXPECT_EQ(changed, unit.unitType == 6);
    return unit.unitType;
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
