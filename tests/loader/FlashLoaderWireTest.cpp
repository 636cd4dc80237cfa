// The flash loader's frames and byte sequences, with the test playing the receiver.
#include <gtest/gtest.h>

#include "platform/MemorySerialDevice.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using Wire = LoaderFixture;

TEST_F(Wire, AddressModeRunIsByteExactAndTracedStepByStep) {
    Image({0x01, 0x02, 0x03});
    Create(0, 0, 0x9FFFF);
    EXPECT_EQ(engine.state, LoaderState::Reset);
    Burst();
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
    Receive({0xAA});
    EXPECT_EQ(Sent(), Bytes{0x55});
    Receive({0x55});
    EXPECT_EQ(Sent(), Bytes{0x6A});
    Receive({0x55});
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0xFF, 0xFF, 0xFF,
                             0xF6, 0x5D}));
    Receive({0x55, 0x8F, 0x8F});
    std::string status;
    engine.StatusText(status);
    EXPECT_EQ(status, "   ERASING - 2   ");
    Receive({0x77});
    EXPECT_EQ(Sent(), Bytes{0x69});
    EXPECT_EQ(engine.state, LoaderState::WaitCold);

    Receive({0x55});
    const Bytes record{0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00,
                       0x01, 0x02, 0x03, 0x00, 0x02, 0x02, 0x5D};
    EXPECT_EQ(Sent(), record);
    Receive({0x13});
    EXPECT_TRUE(Sent().empty());
    Receive({0x81});
    EXPECT_EQ(Sent(), record);
    EXPECT_EQ(engine.bytesSent, 0u);
    Acknowledge();
    EXPECT_EQ(engine.bytesSent, 4u);  // the pad byte counts
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_TRUE(Sent().empty());

    engine.Step();
    // The end record's wait is counted from the end of the image, not from Finish.
    clock.AdvanceTo(3000);
    engine.Finish();
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D}));
    Burst();
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D}));
    Deliver({0x55});
    EXPECT_TRUE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::AllDone);
    // ALL DONE lasts one step; the load would start over.
    EXPECT_FALSE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::Reset);
    engine.CloseTrace();
    EXPECT_EQ(Trace(),
              "RESET\n"
              "NO CONNECT - other\n"
              "NO CONNECT - hello\n"
              "HAND - OK\n"
              "ERASE CMD - Erasing 00000000:00655359\n"
              "ERASE CMD - Erasing 00000000:0009ffff\n"
              "ERASE ADR - OK\n"
              "ERASING - sector erased\n"
              "ERASING - sector erased\n"
              "ERASING - rec wait\n"
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
              "SEND END - timeout, resend\n"
              "SEND END - OK\n"
              "ALL DONE\n");
}

TEST_F(Wire, RecordsCarryAtMost1980BytesAndAnOddRestIsPadded) {
    const Bytes image = Pattern(1981);
    Image(image);
    Create(0, 0x2000, 0);
    ToFirstRecord();
    // No erase end given: up to load address + image end + 0x10000.
    EXPECT_EQ(Slice(handshakeBytes, 5, 8), (Bytes{0, 0, 0x20, 0, 0, 0x01, 0x27, 0xBD}));
    EXPECT_EQ(Sent(), Record(0x2000, Slice(image, 0, 1980)));
    Acknowledge();
    EXPECT_EQ(engine.bytesSent, 1980u);
    EXPECT_EQ(Sent(), Record(0x2000 + 1980, Slice(image, 1980, 1)));
    Acknowledge();
    EXPECT_EQ(engine.bytesSent, 1982u);
    EXPECT_EQ(engine.state, LoaderState::FileDone);
}

TEST_F(Wire, RecWaitInNoConnectStartsRecordsWithoutHandshakeOrErase) {
    const Bytes image = Pattern(10);
    Image(image);
    Create(0, 0, 0x9FFFF);
    Burst();
    Receive({0x77});
    EXPECT_EQ(Sent(), Record(0, image));
    EXPECT_EQ(engine.state, LoaderState::WaitRec);
}

TEST_F(Wire, RecordNumbersStartFromZeroAfterEveryResetAndRestart) {
    const Bytes image = Pattern(3 * 1980);
    Image(image);
    Create(1, 0x40000, 0xFFFFFFFF);
    // In this mode the handshake leads straight to the first record: no erase.
    Connect();
    EXPECT_EQ(Sent(), (Bytes{0x55, 0x6A} + Record(0, Slice(image, 0, 1980))));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(1, Slice(image, 1980, 1980)));

    // The receiver resets: the image again from record 0.
    Receive({0x87});
    EXPECT_EQ(engine.state, LoaderState::WaitCold);
    EXPECT_EQ(engine.bytesSent, 0u);
    Receive({0x77});
    EXPECT_EQ(Sent(), Record(0, Slice(image, 0, 1980)));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(1, Slice(image, 1980, 1980)));

    // The flash write fails: the load starts over and the numbers with it.
    Receive({0x84});
    EXPECT_EQ(engine.state, LoaderState::WriteFail);
    Connect();
    EXPECT_EQ(Sent(), (Bytes{0x55, 0x6A} + Record(0, Slice(image, 0, 1980))));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(1, Slice(image, 1980, 1980)));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(2, Slice(image, 3960, 1980)));
    EXPECT_EQ(engine.RecordNumber(), 2);
}

TEST_F(Wire, NoPortWhenTheLinkHasAPendingError) {
    Image(Pattern(8));
    device().FailCall(platform::MemorySerialDevice::Call::Write, 5);
    theUnit.link->Write("x", 1);
    Create(0, 0, 0x9FFFF);
    EXPECT_EQ(engine.state, LoaderState::NoPort);
    Deliver({0xAA});
    EXPECT_FALSE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::NoPort);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Wire, AnEmptyImageSendsNoRecordAndFinishIsBoundedWhenTheEndCannotLeave) {
    Image({});
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(engine.bytesSent, 0u);
    // Output held for good, as by a receiver that went away holding XOFF.
    device().SetXoffHold(true);
    const std::uint64_t before = clock.MonotonicMs();
    engine.Finish();
    const std::uint64_t waited = clock.MonotonicMs() - before;
    EXPECT_GE(waited, FlashLoader::kFinishDrainLimitMs);
    EXPECT_LE(waited, FlashLoader::kFinishDrainLimitMs + 10);
    EXPECT_EQ(engine.state, LoaderState::SendEnd);

    // Gone altogether: nothing to wait for.
    device().SetXoffHold(false);
    device().SetPresent(false);
    const std::uint64_t again = clock.MonotonicMs();
    engine.Finish();
    EXPECT_LE(clock.MonotonicMs() - again, FlashLoader::kFinishDrainLimitMs);
}

}  // namespace
