// The flash loader's frames and byte sequences, with the test playing the receiver.
#include <gtest/gtest.h>

#include "loader/LoaderFrame.h"
#include "platform/MemorySerialDevice.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using Wire = LoaderFixture;

TEST(LoaderFrameTest, FramesAreByteExact) {
    Bytes frame(16);
    frame[7] = 0x01;
    frame[8] = 0x02;
    frame[9] = 0x03;
    frame[10] = 0x00;  // the pad byte
    ASSERT_EQ(LoaderFrame::CompleteDataRecord(frame.data(), 4, 0), 14u);
    frame.resize(14);
    EXPECT_EQ(frame, (Bytes{0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x00, 0x02,
                            0x02, 0x5D}));

    const auto erase = LoaderFrame::EraseCommand(0x70000, 0x9FFFF);
    EXPECT_EQ(Bytes(erase.begin(), erase.end()), (Bytes{0x5B, 0x00, 0x04, 0x00, 0x07, 0x00, 0x00,
                                                        0x00, 0x09, 0xFF, 0xFF, 0xFF, 0xF1, 0x5D}));
    EXPECT_EQ(Bytes(LoaderFrame::kEndRecord.begin(), LoaderFrame::kEndRecord.end()),
              (Bytes{0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D}));
}

TEST_F(Wire, AddressModeRunsHandshakeEraseRecordsAndEndRecord) {
    Image({0x01, 0x02, 0x03});
    Create(0, 0, 0x9FFFF);
    EXPECT_EQ(engine.state, LoaderState::Reset);

    Burst();
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
    EXPECT_TRUE(Sent().empty());

    Receive({0xAA});
    EXPECT_EQ(Sent(), Bytes{0x55});
    EXPECT_EQ(engine.state, LoaderState::Hand);
    Receive({0x55});
    EXPECT_EQ(Sent(), Bytes{0x6A});
    EXPECT_EQ(engine.state, LoaderState::EraseCmd);
    Receive({0x55});
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0xFF, 0xFF, 0xFF,
                             0xF6, 0x5D}));
    EXPECT_EQ(engine.state, LoaderState::EraseAdr);
    Receive({0x55, 0x8F, 0x8F});
    EXPECT_EQ(engine.state, LoaderState::Erasing);
    EXPECT_EQ(engine.SectorsErased(), 2);
    Receive({0x77});
    EXPECT_EQ(Sent(), Bytes{0x69});
    EXPECT_EQ(engine.state, LoaderState::WaitCold);

    Receive({0x55});
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x00, 0x02,
                             0x02, 0x5D}));
    EXPECT_EQ(engine.state, LoaderState::WaitRec);
    EXPECT_EQ(engine.bytesSent, 0u);

    Acknowledge();
    EXPECT_EQ(engine.bytesSent, 4u);  // the pad byte counts
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_TRUE(Sent().empty());

    engine.Finish();
    EXPECT_EQ(Sent(), (Bytes{0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D}));
    EXPECT_EQ(engine.state, LoaderState::SendEnd);
    Deliver({0x55});
    EXPECT_TRUE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::AllDone);
    // ALL DONE lasts one step; the load would start over.
    EXPECT_FALSE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::Reset);
}

TEST_F(Wire, EraseRunsToTheEngineEndWhenNoEraseEndIsGiven) {
    Image(Pattern(0x100));
    Create(0, 0x1000, 0);
    // load address + image end + 0x10000
    EXPECT_EQ(engine.EndAddress(), 0x1000u + 0x100u + 0x10000u);
    const auto& erase = engine.EraseCommand();
    EXPECT_EQ(Bytes(erase.begin() + 3, erase.begin() + 11),
              (Bytes{0x00, 0x00, 0x10, 0x00, 0x00, 0x01, 0x11, 0x00}));
}

TEST_F(Wire, AnEmptyImageEndsAtOnceWithoutARecord) {
    Image({});
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(engine.bytesSent, 0u);
}

TEST_F(Wire, RecordsCarryAtMost1980BytesAndAnOddRestIsPadded) {
    const Bytes image = Pattern(1981);
    Image(image);
    Create(0, 0x2000, 0);
    ToFirstRecord();
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

TEST_F(Wire, RecordNumberedModeNumbersRecordsFromZeroAfterEveryReset) {
    const Bytes image = Pattern(3 * 1980);
    Image(image);
    Create(1, 0x40000, 0xFFFFFFFF);
    Burst();
    Receive({0xAA});
    Sent();
    // In this mode the handshake leads straight to the first record: no erase.
    Receive({0x55});
    EXPECT_EQ(Sent(), Bytes{0x6A} + Record(0, Slice(image, 0, 1980)));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(1, Slice(image, 1980, 1980)));

    // The flash write fails: the load starts over and the numbers with it.
    Receive({0x84});
    EXPECT_EQ(engine.state, LoaderState::WriteFail);
    Burst();
    EXPECT_EQ(engine.state, LoaderState::Reset);
    Receive({0xAA});
    Receive({0x55});
    EXPECT_EQ(Sent(), (Bytes{0x55, 0x6A} + Record(0, Slice(image, 0, 1980))));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(1, Slice(image, 1980, 1980)));
    Acknowledge();
    EXPECT_EQ(Sent(), Record(2, Slice(image, 3960, 1980)));
    EXPECT_EQ(engine.RecordNumber(), 2);
}

TEST_F(Wire, HelloDuringTheHandshakeIsAnsweredAgain) {
    Image(Pattern(8));
    Create(0, 0, 0x9FFFF);
    Burst();
    Receive({0xAA});
    Receive({0xAA});
    EXPECT_EQ(Sent(), (Bytes{0x55, 0x55}));
    EXPECT_EQ(engine.state, LoaderState::Hand);
    Receive({0x55});
    Receive({0xAA});  // the loader started again before the erase command
    EXPECT_EQ(Sent(), (Bytes{0x6A, 0x55}));
    EXPECT_EQ(engine.state, LoaderState::Hand);
}

TEST_F(Wire, BadTypeEndsInInvalidFlashWithNothingErased) {
    Image(Pattern(8));
    Create(0, 0, 0x9FFFF);
    Burst();
    Receive({0xAA});
    Receive({0x86});
    EXPECT_EQ(engine.state, LoaderState::InvalidFlash);
    Deliver({0x55, 0x55});
    // Waiting input does not keep a state that reads nothing stepping.
    EXPECT_FALSE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::InvalidFlash);
    EXPECT_EQ(Sent(), Bytes{0x55});
}

TEST_F(Wire, BadCommandSendsTheEngineBackToWaitForHello) {
    Image(Pattern(8));
    Create(0, 0, 0x9FFFF);
    Burst();
    Receive({0xAA});
    Receive({0x55});
    Receive({0x83});
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
    Receive({0xAA});
    Receive({0x55});
    Receive({0x55});
    EXPECT_EQ(engine.state, LoaderState::EraseAdr);
    Receive({0x83});
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
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

TEST_F(Wire, NoConnectDropsWaitingInputEveryFifteenSteps) {
    Image(Pattern(8));
    Create(0, 0, 0x9FFFF);
    Burst();  // RESET, then one empty step
    for (int i = 0; i < 13; ++i)
        EXPECT_FALSE(engine.Step());
    Deliver({0x01, 0x02, 0xAA});
    EXPECT_FALSE(engine.Step());  // the 15th: nothing read before, now the queue is dropped
    EXPECT_EQ(theUnit.link->RxCount(), 0);
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
}

TEST_F(Wire, FinishIsBoundedWhenTheEndRecordCannotLeave) {
    Image({});
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    ASSERT_EQ(engine.state, LoaderState::FileDone);
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

TEST_F(Wire, AFailingLinkDoesNotKeepABurstGoing) {
    Image(Pattern(8));
    Create(0, 0, 0x9FFFF);
    Burst();
    Deliver({0x11, 0x22});
    device().FailCall(platform::MemorySerialDevice::Call::Read, 5, 1000);
    EXPECT_FALSE(engine.Step());
    EXPECT_EQ(engine.state, LoaderState::NoConnect);
}

}  // namespace
