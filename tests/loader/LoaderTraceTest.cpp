// "DEBUG.OUT" as text, and the status texts the upload dialogs show.
#include <gtest/gtest.h>

#include <filesystem>

#include "loader/LoaderStatusText.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using TraceFile = LoaderFixture;

TEST_F(TraceFile, ErrorsTimeoutsReportsAndStepsBackAreSentAgainAndTraced) {
    Image(Pattern(3 * 1980));
    Create(0, 0x2D004000, 0x2D0FFFFF);
    Burst();
    Receive({0xAA});
    Receive({0xAA, 0x31, 0x55});
    EXPECT_EQ(Sent(), (Bytes{0x55, 0x55, 0x6A}));
    // The erase command is asked for again after two whole seconds.
    clock.AdvanceTo(1999);
    Burst();
    EXPECT_TRUE(Sent().empty());
    clock.AdvanceTo(2000);
    Burst();
    EXPECT_EQ(Sent(), Bytes{0x6A});
    // The erase range goes out again after three, or at once on a resend code.
    Receive({0x55});
    const Bytes erase = Sent();
    ASSERT_EQ(erase.size(), 14u);
    clock.AdvanceTo(4999);
    Burst();
    EXPECT_TRUE(Sent().empty());
    clock.AdvanceTo(5000);
    Burst();
    EXPECT_EQ(Sent(), erase);
    Receive({0x88});
    EXPECT_EQ(Sent(), erase);
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
         {"NO CONNECT - hello\nHAND - hello\nHAND - error 0031\nHAND - OK\n"
          "ERASE CMD - timeout\n"
          "ERASE CMD - Erasing 754991104:756023295\n"
          "ERASE CMD - Erasing 2d004000:2d0fffff\n"
          "ERASE ADR - timeout\n"
          "SENDING ERASE - Erasing 2d004000:2d0fffff\n"
          "ERASE ADR - error 0031\nERASE ADR - OK\n"
          "ERASING - sector erased\nERASING - error 0031\nERASING - rec wait\n"
          "SEND COLD\nWAIT COLD - error 0031\nWAIT COLD - OK\n"
          "Read 1980 bytes for address 2d004000\nSEND REC - 1990 bytes:",
          "WAIT REC - OK\nPROG - error 0031\nPROG - debug\nDEBUG 1 - 00\nDEBUG 2 - 12\n"
          "PROG - OK\nRead 1980 bytes for address 2d004f78\n",
          "WAIT REC - OK\nPROG - rec number\n"
          "REC NUM 1 - 00\nREC NUM 2 - 00\nREC NUM 3 - 00\nREC NUM 4 - 01\n"
          "Reset to record 1 address 754993084\n"
          "Read 1980 bytes for address 2d0047bc\n"
          "SEND REC - 1990 bytes: 5b 03 e0 2d 00 47 bc",
          "\nWAIT REC - timeout resend 1990 bytes: 5b 03 e0 2d 00 47 bc"}) {
        EXPECT_NE(trace.find(expected), std::string::npos) << expected;
    }
}

TEST_F(TraceFile, WithoutATraceFileTheEngineRunsAllTheSame) {
    std::filesystem::create_directory(LoaderTrace::kFileName);
    Image({0x01, 0x02, 0x03});
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    EXPECT_EQ(Sent(), Record(0, {0x01, 0x02, 0x03}));
}

TEST(LoaderStatusTextTest, EveryStateHasItsText) {
    using S = LoaderState;
    const struct {
        const char* text;
        std::initializer_list<LoaderState> states;
    } table[] = {
        {"       NO PORT   ", {S::NoPort}},
        {"         RESET   ", {S::Reset}},
        {" NO CONNECTION   ", {S::NoConnect}},
        {" CREATING LINK   ", {S::Hand}},
        {"   ERASE BEGIN   ", {S::EraseCmd, S::EraseAdr}},
        {" INVALID FLASH   ", {S::InvalidFlash}},
        {"   ERASING - 0   ", {S::Erasing}},
        {"   PROGRAMMING   ",
         {S::SendCold, S::WaitCold, S::SendRec, S::WaitRec, S::Prog, S::Debug1, S::Debug2}},
        {"ROM WRITE FAIL   ", {S::WriteFail}},
        {"  COMMUNICATING  ", {S::FileDone}},
        {"     FINISHING   ", {S::SendEnd, S::EndChecksum, S::EndSize}},
        {"     COMPLETED   ", {S::AllDone}},
        {"SYSTEM FAILURE   ", {S::SystemFailure}},
    };
    for (const auto& row : table) {
        for (LoaderState s : row.states)
            EXPECT_EQ(LoaderStatusText(s, 0), std::optional<std::string>(row.text)) << row.text;
    }
    for (LoaderState s : {S::RecNum1, S::RecNum2, S::RecNum3, S::RecNum4})
        EXPECT_EQ(LoaderStatusText(s, 0), std::nullopt);
    EXPECT_EQ(LoaderStatusText(S::Erasing, 12), "   ERASING - 12   ");
}

}  // namespace
