// The map header that tells a unit-type-6 receiver from a unit-type-7 one.
#include "command/MapHeaderRule.h"

#include <gtest/gtest.h>

#include "app/CGpsUnit.h"
#include "command/ReplyInterpreter.h"
#include "tests/command/ReplyText.h"

namespace {

// The unit type after the rule has looked at this map header, on a receiver of this code.
int TypeAfter(const std::string& header, const char* code = "033") {
    theUnit.ResetForStart();
    ReplyInterpreter::Interpret(theUnit, replytext::Version(code, "1.00"));
    theUnit.mapHeader = header;
    ApplyMapHeaderRule(theUnit);
    return theUnit.unitType;
}

TEST(MapHeaderRule, FifthFieldBelowTwoAndAHalfMillionMeansUnitTypeSix) {
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,2499999*4A"), 6);
    EXPECT_EQ(theUnit.family, 6);
    EXPECT_EQ(theUnit.unitName, "Solvanta GPS");
    EXPECT_EQ(TypeAfter("1,2,Europe,V3, 0,more"), 6);

    EXPECT_EQ(TypeAfter("1,2,Europe,V3,2500000*4A"), 7);
    EXPECT_EQ(theUnit.family, 5);
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,99999999999999999999"), 7);
    // No fifth number, or no header at all: nothing changes.
    for (const char* header : {"1,2,Europe,V3", "1,2,Europe,V3,", "1,2,Europe,V3,-5", ""})
        EXPECT_EQ(TypeAfter(header), 7) << header;
    // Only unit type 7 is switched.
    EXPECT_EQ(TypeAfter("1,2,Europe,V3,5", "030"), 5);
    theUnit.ResetForStart();
}

}  // namespace
