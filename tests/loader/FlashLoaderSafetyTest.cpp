// Failures that must never end in a complete upload, and the values the end of a numbered
// load reports, with the test playing the receiver.
#include <filesystem>
#include <string>

#include "loader/LoaderStatusText.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using Safety = LoaderFixture;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A fail during the erase or while the erase is being closed restarts the load: no
// record is sent over flash that may not be erased.
TEST_F(Safety, FailDuringTheEraseIsAWriteFailThenAFullRestart) {
    struct Case {
        const char* where;
        std::initializer_list<int> before;  // from ERASE CMD on
        const char* line;
    };
    for (const Case& c : {Case{"erasing", {0x55, 0x55, 0x8F}, "ERASING - fail\n"},
                          Case{"wait cold", {0x55, 0x55, 0x55}, "WAIT COLD - fail\n"}}) {
        SCOPED_TRACE(c.where);
        Load({1, 2, 3, 4}, 0, 0, 0x9FFFF);
        Connect();
        for (int byte : c.before)
            Receive({byte});
        Sent();
        Expect({0x84}, {});
        EXPECT_EQ(engine->state, LoaderState::WriteFail);
        EXPECT_TRUE(Has(Trace(), c.line)) << Trace();
        Burst();
        EXPECT_EQ(engine->state, LoaderState::Reset);
        // A new hello, handshake and erase before any record.
        Expect({}, {});
        Expect({0xAA}, {0x55});
        Expect({0x55}, {0x6A});
        Expect({0x55}, wire::Erase(0, 0x9FFFF));
        EXPECT_EQ(engine->bytesSent, 0u);
    }
}

// A lost "programmed" acknowledge: an addressed record is sent again after the bound (it
// can only land where it did); a numbered one stops the run (it could land at the next
// number). Nothing happens before the bound.
TEST_F(Safety, ProgWaitsABoundedTimeForTheProgrammedAcknowledge) {
    const Bytes image = Load(samples::RandomBytes(3000, 4), 0, 0x1000, 0x9FFFF);
    ToFirstRecord();
    const Bytes first = Sent();
    clock.AdvanceTo(30000);
    Expect({0x55}, {});  // arrived at second 30
    EXPECT_EQ(engine->state, LoaderState::Prog);
    clock.AdvanceTo(45999);
    Expect({}, {});
    EXPECT_EQ(engine->state, LoaderState::Prog);
    clock.AdvanceTo(46000);
    Expect({}, first);
    EXPECT_EQ(engine->state, LoaderState::WaitRec);
    EXPECT_TRUE(Has(Trace(), "WAIT REC - OK\nPROG - timeout resend 1990 bytes: 5b 03 e0"));
    // The receiver takes it again and the load goes on.
    Ack(Record(0x1000 + 1980, Slice(image, 1980, 1020)));

    Load(samples::RandomBytes(3000, 4), 1, 0, 0xFFFFFFFF);
    Connect();
    Sent();
    Expect({0x55}, {});
    clock.Advance(16000);
    Expect({}, {});
    EXPECT_EQ(engine->state, LoaderState::SystemFailure);
    EXPECT_TRUE(Has(engine->StopReason(), "record 0 ")) << engine->StopReason();
    EXPECT_TRUE(Has(Trace(), "WAIT REC - OK\nPROG - timeout\n"));
    // It stays stopped, whatever arrives.
    Expect({0x55, 0x55}, {});
    EXPECT_FALSE(engine->Step());
    EXPECT_EQ(engine->state, LoaderState::SystemFailure);
}

// The image file goes short while it is sent: the run stops without the end record, in a
// state that is neither FILE DONE nor ALL DONE, and says why.
TEST_F(Safety, AnImageThatGoesShortWhileSentStopsWithoutTheEndRecord) {
    for (std::uintmax_t cutTo : {3960u, 3970u, 100u}) {
        SCOPED_TRACE(cutTo);
        const Bytes image = Load(samples::RandomBytes(4 * 1980, 6), 0, 0, 0x9FFFF);
        ToFirstRecord();
        Sent();
        Ack(Record(1980, Slice(image, 1980, 1980)));
        std::filesystem::resize_file("image.bin", cutTo);
        Expect({0x55, 0x55}, {});
        EXPECT_EQ(engine->state, LoaderState::SystemFailure);
        EXPECT_EQ(engine->bytesSent, 2u * 1980u);
        EXPECT_TRUE(Has(engine->StopReason(), "image.bin")) << engine->StopReason();
        EXPECT_TRUE(Has(Trace(), "for address 00000f78\nSEND REC - read failed\n")) << Trace();
        EXPECT_FALSE(Has(Trace(), "SEND REC - 0 len"));
        std::string status;
        engine->StatusText(status);
        EXPECT_EQ(status, "SYSTEM FAILURE   ");
    }
}

// An S-record image that cannot be opened again (removed, or changed since it was
// checked) stops a restart instead of sending nothing and calling it done.
TEST_F(Safety, ARestartThatCannotReopenTheImageStops) {
    struct Case {
        const char* what;
        std::initializer_list<int> restart;
        bool remove;  // else: the file changes length
    };
    for (const Case& c : {Case{"reset, removed", {0x87}, true}, Case{"fail, removed", {0x84}, true},
                          Case{"reset, changed", {0x87}, false}}) {
        SCOPED_TRACE(c.what);
        const Bytes data = samples::RandomBytes(5000, 8);
        TempWorkDir::Write("image.srec", samples::ToSRecords({{0x2D004000, data}}));
        ASSERT_TRUE(reader.Open("image.srec"));
        Create(0, 0x2D004000, 0x2D0FFFFF);
        ToFirstRecord();
        Sent();
        Ack(Record(0x2D004000 + 1984, Slice(data, 1984, 1984)));
        std::error_code kept;
        if (c.remove && !std::filesystem::remove("image.srec", kept))
            continue;  // Windows keeps a file that is open
        if (!c.remove)
            TempWorkDir::Write("image.srec",
                               samples::ToSRecords({{0x2D004000, Slice(data, 0, 64)}}));
        Receive(c.restart);
        Burst();
        Expect({0xAA, 0x55}, {});
        EXPECT_EQ(engine->state, LoaderState::SystemFailure);
        EXPECT_TRUE(Has(Trace(), "RESET - image not readable\n")) << Trace();
        EXPECT_TRUE(Has(engine->StopReason(), "image.srec")) << engine->StopReason();
    }
}

// In record-numbered mode the end reports a checksum (one word) and the size received (two
// words): each is taken from its own words, not from what a record reported before.
TEST_F(Safety, EndChecksumAndReceivedSizeComeFromTheirOwnWords) {
    Load({1, 2, 3, 4}, 1, 0, 0xFFFFFFFF);
    Connect();
    Sent();
    ArriveWithWords({0x7777});
    Expect({0x55}, {});
    ASSERT_EQ(engine->state, LoaderState::FileDone);
    engine->Finish();
    Sent();
    Receive({0x55});
    EXPECT_EQ(engine->state, LoaderState::EndChecksum);
    Receive({0x8E, 0xAB, 0xCD, 0x55});
    EXPECT_EQ(engine->state, LoaderState::EndSize);
    EXPECT_EQ(engine->endChecksum, 0xABCD);
    Receive({0x8E, 0x00, 0x01, 0x8E, 0x23, 0x45});
    EXPECT_EQ(engine->receivedSize, 0u);  // taken on the OK only
    Receive({0x55});
    EXPECT_EQ(engine->endChecksum, 0xABCD);
    EXPECT_EQ(engine->receivedSize, 0x00012345u);
    EXPECT_EQ(engine->state, LoaderState::AllDone);
    // Neither state writes a trace line.
    EXPECT_TRUE(Has(Trace(), "SEND END - OK\nDEBUG 1 - ab\nDEBUG 2 - cd\nDEBUG 1 - 00\n"))
        << Trace();
}

// In NO CONNECT the receive queue is dropped at every fifteenth step without a hello: a
// hello behind fourteen other bytes is answered, one behind fifteen is dropped with them.
TEST_F(Safety, NoConnectDropsTheQueueEveryFifteenStepsWithoutHello) {
    for (int before : {14, 15}) {
        SCOPED_TRACE(before);
        Load({1, 2}, 0, 0, 0x9FFFF);
        Burst();  // RESET, then one step reading nothing: the count is 1
        Bytes junk(static_cast<std::size_t>(before - 1), 0x31);
        junk.push_back(0xAA);
        device().DeliverToHost(junk.data(), junk.size());
        Burst();
        EXPECT_EQ(engine->state, before == 14 ? LoaderState::Hand : LoaderState::NoConnect);
        EXPECT_EQ(Sent(), before == 14 ? Bytes{0x55} : Bytes{});
    }
}

}  // namespace
