// The map header that tells a unit-type-6 receiver from a unit-type-7 one.
#include "command/MapHeaderRule.h"

#include <gtest/gtest.h>

#include "app/CGpsUnit.h"
#include "command/ReplyInterpreter.h"
#include "tests/command/ReplyText.h"

namespace {

class MapHeaderRuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theUnit.ResetForStart();
        ASSERT_TRUE(ReplyInterpreter::Interpret(theUnit, replytext::Version("033", "1.00")));
        ASSERT_EQ(theUnit.unitType, 7);
    }
    void TearDown() override { theUnit.ResetForStart(); }

    // The unit type after the rule has looked at a map header reply with this body.
    static int TypeAfter(const std::string& headerBody) {
        theUnit.ResetForStart();
        ReplyInterpreter::Interpret(theUnit, replytext::Version("033", "1.00"));
        ReplyInterpreter::Interpret(theUnit, replytext::Sentence("PXRVMPH," + headerBody));
        ApplyMapHeaderRule(theUnit);
        return theUnit.unitType;
    }
};

TEST_F(MapHeaderRuleTest, FifthFieldBelowTwoAndAHalfMillionMeansUnitTypeSix) {
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,2499999"), 6);
    EXPECT_EQ(theUnit.family, 6);
    EXPECT_EQ(theUnit.unitName, "Solvanta GPS");
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,0,more"), 6);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3, 12"), 6);

    EXPECT_EQ(TypeAfter("1,2,Europe,V3,2500000"), 7);
    EXPECT_EQ(theUnit.family, 5);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,99999999999999999999"), 7);
}

TEST_F(MapHeaderRuleTest, NoFifthNumberChangesNothing) {
    EXPECT_EQ(TypeAfter("1,2,Europe,V3"), 7);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,"), 7);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,-5"), 7);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,small"), 7);

    theUnit.mapHeader.clear();
    ApplyMapHeaderRule(theUnit);
    EXPECT_EQ(theUnit.unitType, 7);
}

TEST_F(MapHeaderRuleTest, OnlyUnitTypeSevenIsSwitched) {
    theUnit.ResetForStart();
    ReplyInterpreter::Interpret(theUnit, replytext::Version("030", "1.00"));
    theUnit.mapHeader = "1,2,Europe,V3,5";
    ApplyMapHeaderRule(theUnit);
    EXPECT_EQ(theUnit.unitType, 5);
    EXPECT_EQ(theUnit.family, 5);
}

}  // namespace
