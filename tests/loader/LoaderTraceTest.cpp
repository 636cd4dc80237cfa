// "DEBUG.OUT" as text, and the status texts the upload dialogs show.
#include <gtest/gtest.h>

#include "loader/LoaderStatusText.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using TraceFile = LoaderFixture;

TEST_F(TraceFile, ErrorsTimeoutsReportsAndStepsBackAreSentAgainAndTraced) {
    Image(Pattern(3 * 1980));
    Create(0, 0x2D004000, 0x2D0FFFFF);
    Burst();
    Expect({0xAA}, {0x55});
    Expect({0xAA, 0x31, 0x55}, {0x55, 0x6A});
    // The erase command is asked for again after two whole seconds.
    clock.AdvanceTo(1999);
    Expect({}, {});
    clock.AdvanceTo(2000);
    Expect({}, {0x6A});
    // The erase range goes out again after three, or at once on a resend code.
    Receive({0x55});
    const Bytes erase = Sent();
    ASSERT_EQ(erase.size(), 14u);
    clock.AdvanceTo(4999);
    Expect({}, {});
    clock.AdvanceTo(5000);
    Expect({}, erase);
    Expect({0x88}, erase);
    Receive({0x31, 0x55, 0x8F, 0x31, 0x77});
    Receive({0x31, 0x55});
    Acknowledge();
    Receive({0x55, 0x31, 0x8E, 0x00, 0x12, 0x55});
    Receive({0x55, 0x89, 0x00, 0x00, 0x00, 0x01});
    clock.AdvanceTo(10000);
    Burst();
    engine.CloseTrace();
    const std::string trace = Trace();
    for (const char* expected :
         {"NO CONNECT - hello\nHAND - hello\nHAND - error 0031\nHAND - OK\nERASE CMD - timeout\n"
          "ERASE CMD - Erasing 754991104:756023295\nERASE CMD - Erasing 2d004000:2d0fffff\n"
          "ERASE ADR - timeout\nSENDING ERASE - Erasing 2d004000:2d0fffff\n"
          "ERASE ADR - error 0031\nERASE ADR - OK\nERASING - sector erased\n"
          "ERASING - error 0031\nERASING - rec wait\nSEND COLD\nWAIT COLD - error 0031\n"
          "WAIT COLD - OK\nRead 1980 bytes for address 2d004000\nSEND REC - 1990 bytes:",
          "WAIT REC - OK\nPROG - error 0031\nPROG - debug\nDEBUG 1 - 00\nDEBUG 2 - 12\n"
          "PROG - OK\nRead 1980 bytes for address 2d004f78\n",
          "WAIT REC - OK\nPROG - rec number\nREC NUM 1 - 00\nREC NUM 2 - 00\nREC NUM 3 - 00\n"
          "REC NUM 4 - 01\nReset to record 1 address 754993084\n"
          "Read 1980 bytes for address 2d0047bc\nSEND REC - 1990 bytes: 5b 03 e0 2d 00 47 bc",
          "\nWAIT REC - timeout resend 1990 bytes: 5b 03 e0 2d 00 47 bc"}) {
        EXPECT_NE(trace.find(expected), std::string::npos) << expected;
    }
}

TEST(LoaderStatusTextTest, EveryStateHasItsTextAndTheRecNumberStatesNone) {
    std::string texts;  // in the order of the states, "-" where there is none
    for (int state = 0; state <= static_cast<int>(LoaderState::RecNum4); ++state)
        texts += LoaderStatusText(static_cast<LoaderState>(state), 3).value_or("-") + "|";
    EXPECT_EQ(texts,
              "       NO PORT   |         RESET   | NO CONNECTION   | CREATING LINK   |"
              "   ERASE BEGIN   | INVALID FLASH   |   ERASE BEGIN   |   ERASING - 3   |"
              "   PROGRAMMING   |   PROGRAMMING   |   PROGRAMMING   |   PROGRAMMING   |"
              "   PROGRAMMING   |ROM WRITE FAIL   |  COMMUNICATING  |     FINISHING   |"
              "     FINISHING   |     FINISHING   |     COMPLETED   |SYSTEM FAILURE   |"
              "   PROGRAMMING   |   PROGRAMMING   |-|-|-|-|");
    EXPECT_EQ(LoaderStatusText(LoaderState::Erasing, 12), "   ERASING - 12   ");
}

}  // namespace
