// "DEBUG.OUT" as text, and the status texts the upload dialogs show.
#include <gtest/gtest.h>

#include <filesystem>

#include "loader/LoaderStatusText.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using TraceFile = LoaderFixture;

TEST_F(TraceFile, AnAddressModeRunIsTracedStepByStep) {
    Image({0x01, 0x02, 0x03});
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    Receive({0x13});
    Receive({0x81});
    Acknowledge();
    engine.Step();
    engine.Finish();
    Receive({0x55});
    engine.Step();
    engine.CloseTrace();
    EXPECT_EQ(Trace(),
              "RESET\n"
              "NO CONNECT - other\n"
              "NO CONNECT - hello\n"
              "HAND - OK\n"
              "ERASE CMD - Erasing 00000000:00655359\n"
              "ERASE CMD - Erasing 00000000:0009ffff\n"
              "ERASE ADR - OK\n"
              "ERASING - OK\n"
              "SEND COLD\n"
              "WAIT COLD - OK\n"
              "Read 3 bytes for address 00000000\n"
              "SEND REC - 14 bytes: 5b 00 04 00 00 00 00 01 02 03 00 02 02 5d\n"
              "WAIT REC - error 0013\n"
              "WAIT REC - 0081 resend 14 bytes: 5b 00 04 00 00 00 00 01 02 03 00 02 02 5d\n"
              "WAIT REC - OK\n"
              "PROG - OK\n"
              "Read 0 bytes for address 00000004\n"
              "SEND REC - 0 len\n"
              "FILE DONE\n"
              "FILE DONE\n"
              "SEND END - OK\n"
              "ALL DONE\n"
              "RESET\n");
}

TEST_F(TraceFile, ErrorsTimeoutsReportsAndStepsBackAreTraced) {
    Image(Pattern(3 * 1980));
    Create(0, 0x2D004000, 0x2D0FFFFF);
    Burst();
    Receive({0xAA});
    Receive({0xAA, 0x31, 0x55});
    clock.AdvanceTo(2000);
    Burst();
    Receive({0x55});
    clock.AdvanceTo(5000);
    Burst();
    Receive({0x88});
    Receive({0x31, 0x55, 0x8F, 0x31, 0x77});
    Receive({0x31, 0x55});
    Acknowledge();
    Receive({0x55, 0x31, 0x8E, 0x00, 0x12, 0x55});
    Receive({0x55, 0x89, 0x00, 0x00, 0x00, 0x01});
    clock.AdvanceTo(10000);
    Burst();
    engine.CloseTrace();

    const std::string trace = Trace();
    const std::string expected =
        "NO CONNECT - hello\n"
        "HAND - hello\n"
        "HAND - error 0031\n"
        "HAND - OK\n"
        "ERASE CMD - timeout\n"
        "ERASE CMD - Erasing 754991104:756023295\n"
        "ERASE CMD - Erasing 2d004000:2d0fffff\n"
        "ERASE ADR - timeout\n"
        "SENDING ERASE - Erasing 2d004000:2d0fffff\n"
        "ERASE ADR - error 0031\n"
        "ERASE ADR - OK\n"
        "ERASING - sector erased\n"
        "ERASING - error 0031\n"
        "ERASING - rec wait\n"
        "SEND COLD\n"
        "WAIT COLD - error 0031\n"
        "WAIT COLD - OK\n"
        "Read 1980 bytes for address 2d004000\n"
        "SEND REC - 1990 bytes:";
    EXPECT_NE(trace.find(expected), std::string::npos) << trace.substr(0, 2000);
    EXPECT_NE(trace.find("WAIT REC - OK\n"
                         "PROG - error 0031\n"
                         "PROG - debug\n"
                         "DEBUG 1 - 00\n"
                         "DEBUG 2 - 12\n"
                         "PROG - OK\n"
                         "Read 1980 bytes for address 2d004f78\n"),
              std::string::npos);
    EXPECT_NE(trace.find("WAIT REC - OK\n"
                         "PROG - rec number\n"
                         "REC NUM 1 - 00\n"
                         "REC NUM 2 - 00\n"
                         "REC NUM 3 - 00\n"
                         "REC NUM 4 - 01\n"
                         "Reset to record 1 address 754993084\n"
                         "Read 1980 bytes for address 2d0047bc\n"
                         "SEND REC - 1990 bytes: 5b 03 e0 2d 00 47 bc"),
              std::string::npos);
    EXPECT_NE(trace.find("\nWAIT REC - timeout resend 1990 bytes: 5b 03 e0 2d 00 47 bc"),
              std::string::npos);
}

TEST_F(TraceFile, FrameDumpsListEveryByteOfTheFrame) {
    const Bytes image = Pattern(101);
    Image(image);
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    engine.CloseTrace();
    const std::string trace = Trace();
    const std::size_t at = trace.find("SEND REC - 112 bytes:");
    ASSERT_NE(at, std::string::npos);
    const std::string line = trace.substr(at, trace.find('\n', at) - at);
    std::string dump;
    for (std::uint8_t b : Record(0, image)) {
        char text[4];
        std::snprintf(text, sizeof text, " %02x", b);
        dump += text;
    }
    EXPECT_EQ(line, "SEND REC - 112 bytes:" + dump);
    EXPECT_EQ(dump.substr(0, 3), " 5b");
    EXPECT_EQ(dump.substr(dump.size() - 3), " 5d");
}

TEST_F(TraceFile, SecondFileAndEveryNewEngineAreTraced) {
    Image(Pattern(10));
    Create(0, 0, 0x1FFFFF);
    ToFirstRecord();
    Acknowledge();
    ImageReader second;
    TempWorkDir::Write("db.bin", std::string(300, 'x'));
    ASSERT_TRUE(second.Open("db.bin"));
    engine.SecondFile(&second, 0xA0000);
    EXPECT_NE(Trace().find("SECOND FILE - 000a0000 to 000a012c\n"), std::string::npos);

    // A new engine, as for the boot block pass, starts a new trace.
    FlashLoader next;
    next.Create(&reader, theUnit.link.get(), 0, 0x70000, 0x9FFFF, 1);
    EXPECT_EQ(Trace(), "");
    next.Step();
    EXPECT_EQ(Trace(), "RESET\n");
    next.CloseTrace();
    second.Close();
}

TEST_F(TraceFile, WithoutATraceFileTheEngineRunsAllTheSame) {
    std::filesystem::create_directory(LoaderTrace::kFileName);
    Image({0x01, 0x02, 0x03});
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    EXPECT_EQ(Sent(), Record(0, {0x01, 0x02, 0x03}));
}

TEST(LoaderStatusTextTest, EveryStateHasItsText) {
    const struct {
        LoaderState state;
        const char* text;
    } table[] = {
        {LoaderState::NoPort, "       NO PORT   "},
        {LoaderState::Reset, "         RESET   "},
        {LoaderState::NoConnect, " NO CONNECTION   "},
        {LoaderState::Hand, " CREATING LINK   "},
        {LoaderState::EraseCmd, "   ERASE BEGIN   "},
        {LoaderState::InvalidFlash, " INVALID FLASH   "},
        {LoaderState::EraseAdr, "   ERASE BEGIN   "},
        {LoaderState::Erasing, "   ERASING - 0   "},
        {LoaderState::SendCold, "   PROGRAMMING   "},
        {LoaderState::WaitCold, "   PROGRAMMING   "},
        {LoaderState::SendRec, "   PROGRAMMING   "},
        {LoaderState::WaitRec, "   PROGRAMMING   "},
        {LoaderState::Prog, "   PROGRAMMING   "},
        {LoaderState::WriteFail, "ROM WRITE FAIL   "},
        {LoaderState::FileDone, "  COMMUNICATING  "},
        {LoaderState::SendEnd, "     FINISHING   "},
        {LoaderState::EndChecksum, "     FINISHING   "},
        {LoaderState::EndSize, "     FINISHING   "},
        {LoaderState::AllDone, "     COMPLETED   "},
        {LoaderState::SystemFailure, "SYSTEM FAILURE   "},
        {LoaderState::Debug1, "   PROGRAMMING   "},
        {LoaderState::Debug2, "   PROGRAMMING   "},
    };
    for (const auto& row : table) {
        EXPECT_EQ(LoaderStatusText(row.state, 0), std::optional<std::string>(row.text))
            << static_cast<int>(row.state);
        EXPECT_EQ(std::string(row.text).size(), 17u);
    }
    for (LoaderState s :
         {LoaderState::RecNum1, LoaderState::RecNum2, LoaderState::RecNum3, LoaderState::RecNum4}) {
        EXPECT_EQ(LoaderStatusText(s, 0), std::nullopt);
    }
    EXPECT_EQ(LoaderStatusText(LoaderState::Erasing, 12), "   ERASING - 12   ");
}

using StatusText = LoaderFixture;

TEST_F(StatusText, CountsErasedSectorsAndKeepsTheTextDuringARecNumber) {
    Image(Pattern(4000));
    Create(0, 0, 0x9FFFF);
    std::string text = "before";
    engine.StatusText(text);
    EXPECT_EQ(text, "         RESET   ");
    Burst();
    Receive({0xAA});
    Receive({0x55});
    Receive({0x55});
    Receive({0x55});
    engine.StatusText(text);
    EXPECT_EQ(text, "   ERASING - 0   ");
    Receive({0x8F, 0x8F, 0x8F});
    engine.StatusText(text);
    EXPECT_EQ(text, "   ERASING - 3   ");
    Receive({0x55});
    Receive({0x55});
    Receive({0x55});
    engine.StatusText(text);
    EXPECT_EQ(text, "   PROGRAMMING   ");
    Receive({0x89, 0x00});
    ASSERT_EQ(engine.state, LoaderState::RecNum2);
    text = "   PROGRAMMING   ";
    engine.StatusText(text);
    EXPECT_EQ(text, "   PROGRAMMING   ");
}

}  // namespace
