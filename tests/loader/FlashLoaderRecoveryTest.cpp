// Resends, timeouts, restarts and step backs: the right bytes land at the right address.
#include <gtest/gtest.h>

#include "tests/loader/LoaderFixture.h"
#include "tools/sample-images/SampleImages.h"

namespace {

using Recovery = LoaderFixture;

TEST_F(Recovery, ResendCodesAndARecNumberOfTheFirstRecordSendItAgain) {
    const Bytes image = Pattern(3000);
    Image(image);
    Create(0, 0x1000, 0);
    ToFirstRecord();
    const Bytes first = Sent();
    ASSERT_EQ(first, Record(0x1000, Slice(image, 0, 1980)));
    for (int code : {0x81, 0x82, 0x85, 0x88})
        Expect({code}, first);
    // A resend asked for after the record arrived (in PROG) goes back to WAIT REC.
    Expect({0x55}, {});
    EXPECT_EQ(engine.state, LoaderState::Prog);
    Expect({0x85}, first);
    EXPECT_EQ(engine.state, LoaderState::WaitRec);
    Expect({0x55, 0x89, 0, 0, 0, 0}, first);
    EXPECT_EQ(engine.RecordNumber(), 0);
    EXPECT_EQ(engine.bytesSent, 0u);
    Ack(Record(0x1000 + 1980, Slice(image, 1980, 1020)));
    EXPECT_EQ(engine.bytesSent, 1980u);
}

TEST_F(Recovery, WaitRecTimesOutAfterFourWholeSecondsOfSilenceOnly) {
    Image(Pattern(100));
    Create(0, 0, 0x9FFFF);
    clock.AdvanceTo(999);  // the record goes out late in second 0
    ToFirstRecord();
    const Bytes record = Sent();
    // Unexpected bytes arriving keep the timeout from being tested at all.
    for (int i = 0; i < 10; ++i) {
        clock.Advance(1000);
        Expect({0x42}, {});
    }
    // The first silent step tests it: the record went out ten seconds ago.
    Expect({}, record);
    // Sent again late in second 10: not before second 15 (more than four whole seconds).
    ASSERT_EQ(clock.MonotonicMs(), 10999u);
    clock.AdvanceTo(14999);
    Expect({}, {});
    // Setting the wall clock does not cut the wait.
    clock.SetEpoch(platform::VirtualClock::kDefaultEpoch + 3600);
    Expect({}, {});
    clock.Advance(1);
    Expect({}, record);
}

TEST_F(Recovery, RecNumberStepsBackOneRecordEvenAfterAShortLastRecord) {
    const Bytes image = Pattern(1980 * 2 + 100);
    const Bytes r1 = Record(1, Slice(image, 1980, 1980)), r2 = Record(2, Slice(image, 3960, 100));
    Image(image);
    Create(1, 0, 0xFFFFFFFF);
    Connect();
    Sent();
    Ack(r1);
    Ack(r2);
    EXPECT_EQ(engine.bytesSent, 3960u);
    // The short last record arrived but was not programmed: the one before it again.
    Expect({0x55, 0x89, 0x00, 0x00, 0x00, 0x01}, r1);
    EXPECT_EQ(engine.RecordNumber(), 1);
    EXPECT_EQ(engine.SendPosition(), 1980u);
    EXPECT_EQ(engine.bytesSent, 1980u);
    Ack(r2);
    Ack({});
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_EQ(engine.bytesSent, 4060u);
}

TEST_F(Recovery, SRecordImagesStartOverAndStepBackByTheRecordsSent) {
    // Lines of 100 bytes: records of 2000 bytes, not 1980.
    const Bytes image = Pattern(5000, 4);
    samples::SRecordFormat format;
    format.bytesPerLine = 100;
    samples::WriteFile("code.hex", samples::ToSRecords({{0x2D004000, image}}, format));
    ASSERT_TRUE(reader.Open("code.hex"));
    Create(0, 0x2D004000, reader.endAddress + 0x2D000000);
    const Bytes r0 = Record(0x2D004000, Slice(image, 0, 2000));
    const Bytes r1 = Record(0x2D004000 + 2000, Slice(image, 2000, 2000));
    const Bytes r2 = Record(0x2D004000 + 4000, Slice(image, 4000, 1000));
    ToFirstRecord();
    EXPECT_EQ(Sent(), r0);
    Ack(r1);
    // rec number: the record before goes out as it was, then the one stepped over.
    Expect({0x55, 0x89, 0, 0, 0, 1}, r0);
    EXPECT_EQ(engine.bytesSent, 0u);
    Ack(r1);
    Ack(r2);
    // reset: the image from its first line again.
    Expect({0x87}, {});
    Expect({0x55}, r0);
    Ack(r1);
    // A failed write: handshake, erase, and again the whole image.
    Expect({0x55, 0x84}, {});
    ToFirstRecord();
    EXPECT_EQ(handshakeBytes.size(), 17u);
    EXPECT_EQ(Sent(), r0);
    Ack(r1);
    Ack(r2);
    Ack({});
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_EQ(engine.bytesSent, 5000u);
}

TEST_F(Recovery, SecondFileGoesOnWithoutHandshakeAndAFullRestartSendsBoth) {
    const Bytes code = Pattern(2500, 3);
    const Bytes data = Pattern(1500, 9);
    const Bytes c0 = Record(0, Slice(code, 0, 1980)), c1 = Record(1980, Slice(code, 1980, 520));
    Image(code);
    ImageReader dataReader;
    TempWorkDir::Write("data.bin", std::string(data.begin(), data.end()));
    ASSERT_TRUE(dataReader.Open("data.bin"));
    Create(0, 0, 0x1FFFFF);
    ToFirstRecord();
    EXPECT_EQ(Sent(), c0);
    Ack(c1);
    Ack({});
    ASSERT_EQ(engine.state, LoaderState::FileDone);
    engine.SecondFile(&dataReader, 0xA0000);
    EXPECT_EQ(engine.state, LoaderState::SendRec);
    EXPECT_EQ(engine.bytesSent, 0u);
    EXPECT_EQ(engine.RecordNumber(), 2);
    EXPECT_NE(Trace().find("SECOND FILE - 000a0000 to 000a05dc\n"), std::string::npos);
    Expect({}, Record(0xA0000, data));
    // The write fails: the erase covers the code too, so both go out again.
    Expect({0x84}, {});
    ToFirstRecord();
    EXPECT_EQ(Sent(), c0);
    Ack(c1);
    Ack(Record(0xA0000, data));
    Ack({});
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_EQ(engine.bytesSent, 1500u);
    dataReader.Close();
}

TEST_F(Recovery, BootBlockPassSendsTheImageFromTheOffsetOfItsLoadAddress) {
    const Bytes code = Pattern(0x70000 + 3000, 5);
    const Bytes boot = Record(0x70000, Slice(code, 0x70000, 1980));
    Image(code);
    theUnit.bootReloadPass = 1;
    Create(0, 0x70000, 0x9FFFF);
    EXPECT_EQ(engine.EndAddress(), code.size());
    ToFirstRecord();
    EXPECT_EQ(Slice(handshakeBytes, 2, 14), (Bytes{0x5B, 0x00, 0x04, 0x00, 0x07, 0x00, 0x00, 0x00,
                                                   0x09, 0xFF, 0xFF, 0xFF, 0xF1, 0x5D}));
    EXPECT_EQ(Sent(), boot);
    // A restart sends the boot block again, not the image from its start.
    Expect({0x84}, {});
    ToFirstRecord();
    EXPECT_EQ(Sent(), boot);
    Ack(Record(0x70000 + 1980, Slice(code, 0x70000 + 1980, 1020)));
    Ack({});
    EXPECT_EQ(engine.state, LoaderState::FileDone);
}

}  // namespace
