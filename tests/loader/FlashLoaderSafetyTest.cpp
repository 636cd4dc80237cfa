// Failures that must never end in a complete upload, with the test playing the receiver.
#include <filesystem>
#include <string>

#include "tests/loader/LoaderFixture.h"

namespace {

using Safety = LoaderFixture;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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
