// The flash loader's bytes, "DEBUG.OUT" and status texts, with the test playing the receiver.
#include "tests/loader/LoaderFixture.h"

namespace {

using Wire = LoaderFixture;

TEST_F(Wire, AddressModeRunIsByteExactAndTracedStepByStep) {
    Load({0x01, 0x02, 0x03}, 0, 0, 0x9FFFF);
    Expect({}, {});
    Expect({0xAA}, {0x55});
    Expect({0x55}, {0x6A});
    Expect({0x55},
           {0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0xFF, 0xFF, 0xFF, 0xF6, 0x5D});
    Expect({0x55, 0x8F, 0x8F}, {});
    std::string status;
    engine->StatusText(status);
    EXPECT_EQ(status, "   ERASING - 2   ");
    Expect({0x77}, {0x69});
    const Bytes record{0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00,
                       0x01, 0x02, 0x03, 0x00, 0x02, 0x02, 0x5D};
    Expect({0x55}, record);
    Expect({0x13}, {});
    Expect({0x81}, record);
    EXPECT_EQ(engine->bytesSent, 0u);
    Ack({});
    EXPECT_EQ(engine->bytesSent, 4u);  // the pad byte counts
    EXPECT_EQ(engine->state, LoaderState::FileDone);
    // The end record's wait is counted from the end of the image, not from Finish.
    clock.AdvanceTo(3000);
    engine->Finish();
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D}));
    // No answer to the end record: Finish gave it its bounded time to leave the port.
    EXPECT_EQ(clock.MonotonicMs(), 3000 + FlashLoader::kEndRecordAnswerLimitMs);
    Expect({}, {0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D});
    // ALL DONE lasts one step; the load would start over.
    Expect({0x55}, {});
    EXPECT_EQ(engine->state, LoaderState::Reset);
    engine->CloseTrace();
    EXPECT_EQ(Trace(),
              "RESET\nNO CONNECT - other\nNO CONNECT - hello\nHAND - OK\n"
              "ERASE CMD - Erasing 00000000:00655359\nERASE CMD - Erasing 00000000:0009ffff\n"
              "ERASE ADR - OK\nERASING - sector erased\nERASING - sector erased\n"
              "ERASING - rec wait\nSEND COLD\nWAIT COLD - OK\nRead 3 bytes for address 00000000\n"
              "SEND REC - 14 bytes: 5b 00 04 00 00 00 00 01 02 03 00 02 02 5d\n"
              "WAIT REC - error 0013\n"
              "WAIT REC - 0081 resend 14 bytes: 5b 00 04 00 00 00 00 01 02 03 00 02 02 5d\n"
              "WAIT REC - OK\nPROG - OK\nRead 0 bytes for address 00000004\nSEND REC - 0 len\n"
              "FILE DONE\nSEND END - timeout, resend\nSEND END - OK\nALL DONE\n");
}

TEST_F(Wire, RecordNumbersStartFromZeroAfterAReset) {
    const Bytes image = Load(samples::RandomBytes(3 * 1980, 1), 1, 0x40000, 0xFFFFFFFF);
    const Bytes r0 = Record(0, Slice(image, 0, 1980)), r1 = Record(1, Slice(image, 1980, 1980));
    Bytes helloAndR0 = r0;
    helloAndR0.insert(helloAndR0.begin(), 0x6A);

    // In this mode the handshake leads straight to the first record: no erase.
    Burst();
    Expect({0xAA}, {0x55});
    Expect({0x55}, helloAndR0);
    Ack(r1);
    // The receiver resets: the image again from record 0.
    Expect({0x87}, {});
    EXPECT_EQ(engine->bytesSent, 0u);
    Expect({0x77}, r0);
    Ack(r1);
    Ack(Record(2, Slice(image, 3960, 1980)));
}

TEST_F(Wire, NoPortOnAPendingErrorAndFailingReadsEndTheBurst) {
    Load(samples::RandomBytes(8, 1), 0, 0, 0x9FFFF);
    device().FailCall(platform::MemorySerialDevice::Call::Write, 5);
    line.link->Write("x", 1);
    Create(0, 0, 0x9FFFF);
    Expect({0xAA}, {});
    EXPECT_EQ(engine->state, LoaderState::NoPort);
    // Reported once; then reads that keep failing while input waits end each burst.
    Create(0, 0, 0x9FFFF);
    device().FailCall(platform::MemorySerialDevice::Call::Read, 5, 1000);
    EXPECT_TRUE(engine->Step());  // RESET
    EXPECT_FALSE(engine->Step());
}

TEST_F(Wire, AnEmptyImageSendsNoRecordAndFinishIsBoundedWhenTheEndCannotLeave) {
    Load({}, 0, 0, 0x9FFFF);
    ToFirstRecord();
    EXPECT_EQ(engine->state, LoaderState::FileDone);
    EXPECT_TRUE(Sent().empty());
    // Output held for good, as by a receiver that went away holding XOFF.
    device().SetXoffHold(true);
    engine->Finish();
    EXPECT_GE(clock.MonotonicMs(), FlashLoader::kFinishDrainLimitMs);
    EXPECT_LE(clock.MonotonicMs(), FlashLoader::kFinishDrainLimitMs + 10);
    EXPECT_EQ(engine->state, LoaderState::SendEnd);
}

TEST_F(Wire, ErrorsTimeoutsResendsReportsAndStepsBackAreAnsweredAndTraced) {
    const Bytes image = Load(samples::RandomBytes(3 * 1980, 1), 0, 0x2D004000, 0x2D0FFFFF);

    Burst();
    Expect({0xAA}, {0x55});
    Expect({0xAA, 0x31, 0x55}, {0x55, 0x6A});
    // The erase command is asked for again after two whole seconds.
    clock.AdvanceTo(1999);
    Expect({}, {});
    clock.AdvanceTo(2000);
    Expect({}, {0x6A});
    // The erase range goes out again after three, or at once on a resend code.
    const Bytes erase = wire::Erase(0x2D004000, 0x2D0FFFFF);
    Expect({0x55}, erase);
    clock.AdvanceTo(4999);
    Expect({}, {});
    clock.AdvanceTo(5000);
    Expect({}, erase);
    Expect({0x88}, erase);
    Expect({0x31, 0x55, 0x8F, 0x31, 0x77}, {0x69});
    const Bytes first = Record(0x2D004000, Slice(image, 0, 1980));
    Expect({0x31, 0x55}, first);
    for (int code : {0x81, 0x82, 0x85, 0x88})
        Expect({code}, first);
    // A resend asked for after the record arrived (in PROG) goes back to WAIT REC.
    Expect({0x55, 0x85}, first);
    // A rec number of the first record steps back to the record itself.
    Expect({0x55, 0x89, 0, 0, 0, 0}, first);
    EXPECT_EQ(engine->bytesSent, 0u);
    Receive({0x55, 0x55});
    Receive({0x55, 0x31, 0x8E, 0x00, 0x12, 0x55});
    Receive({0x55, 0x89, 0x00, 0x00, 0x00, 0x01});
    clock.AdvanceTo(10000);
    Burst();
    engine->CloseTrace();
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

// Every answer of the receiver that no run above meets: its trace line and where it leads.
TEST_F(Wire, EachOtherAnswerIsTracedAndLeadsWhereItShould) {
    enum class From { Start, Hand, EraseCmd, EraseAdr, Erasing, WaitCold, WaitRec, Prog, SendEnd };
    struct Case {
        From from;
        std::initializer_list<int> input;
        const char* line;
        LoaderState next;
    };
    const Case cases[] = {
        {From::Start, {0x77}, "NO CONNECT - rec_wait\nRead 4 bytes", LoaderState::WaitRec},
        {From::Hand, {0x86}, "HAND - Bad type\n", LoaderState::InvalidFlash},
        {From::EraseCmd, {0xAA}, "HAND - OK\nERASE CMD - hello\n", LoaderState::Hand},
        {From::EraseCmd, {0x83}, "ERASE CMD - bad cmd\n", LoaderState::NoConnect},
        {From::EraseAdr, {0x83}, "ERASE ADR - bad\n", LoaderState::NoConnect},
        {From::EraseAdr, {0x84}, "ERASE ADR - fail\n", LoaderState::WriteFail},
        {From::Erasing, {0x55}, "ERASING - OK\nSEND COLD\n", LoaderState::WaitCold},
        // A fail during the erase or while it is closed restarts the load, erase included
        // (the whole uploads check that no record goes over flash that may not be erased).
        {From::Erasing, {0x84}, "ERASING - fail\n", LoaderState::WriteFail},
        {From::WaitCold, {0x84}, "WAIT COLD - fail\n", LoaderState::WriteFail},
        {From::WaitCold, {0x77}, "WAIT COLD - rec wait\nRead 4 bytes", LoaderState::WaitRec},
        {From::WaitRec, {0x84}, "WAIT REC - fail\n", LoaderState::WriteFail},
        {From::WaitRec,
         {0x8E, 0x01, 0x02},
         "WAIT REC - debug\nDEBUG 1 - 01\nDEBUG 2 - 02\n",
         LoaderState::WaitRec},
        {From::WaitRec, {0x87}, "WAIT REC - reset\n", LoaderState::WaitCold},
        {From::Prog, {0x84}, "PROG - fail\n", LoaderState::WriteFail},
        {From::Prog, {0x77}, "PROG - rec wait\nRead 0 bytes", LoaderState::FileDone},
        {From::SendEnd, {0x31}, "FILE DONE\nSEND END - error 0031\n", LoaderState::SendEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Load({1, 2, 3, 4}, 0, 0, 0x9FFFF);
        Burst();
        // hello, handshake OK, erase wanted, erase taken, erased, cold start, arrived,
        // programmed (the image of one record is sent)
        for (int i = 0; i < static_cast<int>(c.from); ++i)
            Receive({i == 0 ? 0xAA : 0x55});
        if (c.from == From::SendEnd)
            engine->Finish();
        Receive(c.input);
        EXPECT_EQ(engine->state, c.next);
        EXPECT_NE(Trace().find(c.line), std::string::npos) << Trace();
    }
}

// The boot block pass of an image shorter than its load address: nothing lies in range.
TEST_F(Wire, APositionPastTheEndAddressEndsTheImageAndIsTraced) {
    target.bootReloadPass = true;
    Load(samples::RandomBytes(100, 1), 0, 0x70000, 0x9FFFF);
    ToFirstRecord();
    EXPECT_EQ(Sent(), Bytes{});
    EXPECT_EQ(engine->state, LoaderState::FileDone);
    EXPECT_NE(Trace().find("WAIT COLD - OK\nSEND REC - Address 00070000 past end 00000064\n"
                           "SEND REC - 0 len\n"),
              std::string::npos)
        << Trace();
}

}  // namespace
