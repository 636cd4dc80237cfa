// Timeouts, restarts, step backs and debug reports: the right bytes land at the right address.
#include <optional>
#include <tuple>

#include "loader/WordOrder.h"
#include "tests/loader/LoaderFixture.h"

namespace {

using Recovery = LoaderFixture;

TEST_F(Recovery, WaitRecTimesOutAfterFourWholeSecondsOfSilenceOnly) {
    Load(samples::RandomBytes(100, 1), 0, 0, 0x9FFFF);
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
    clock.AdvanceTo(14999);
    Expect({}, {});
    // Setting the wall clock does not cut the wait.
    clock.SetEpoch(platform::VirtualClock::kDefaultEpoch + 3600);
    Expect({}, {});
    clock.Advance(1);
    Expect({}, record);
}

TEST(WordOrderTest, DecidedByFamilyPhaseAndTheZeroHalf) {
    const WordOrder H = WordOrder::HighFirst, L = WordOrder::LowFirst, U = WordOrder::Undecided;
    const std::tuple<int, std::optional<int>, std::uint16_t, std::uint16_t, WordOrder> cases[] = {
        {15, {}, 0x0000, 0x0123, H}, {5, 1, 0x0123, 0x0000, H}, {6, {}, 0xFFFF, 0xFFFF, H},
        {2, {}, 0x0000, 0x0123, U},  {2, 0, 0x0000, 0x0001, H}, {2, 0, 0x0000, 0x0FFF, H},
        {2, 0, 0x0FFF, 0x0000, L},   {3, 0, 0x0123, 0x0000, L}, {2, 0, 0x0000, 0x1000, U},
        {2, 0, 0x1000, 0x0000, U},   {2, 0, 0x0000, 0x0000, U}, {2, 0, 0x0001, 0x0001, U},
        {2, 1, 0x0000, 0x000A, L},   {2, 1, 0x000F, 0x0000, H}, {3, 1, 0x0000, 0x0001, L},
        {2, 1, 0x0000, 0x0010, U},   {2, 1, 0x0010, 0x0000, U}, {2, 2, 0x0000, 0x0001, U},
        {2, 3, 0x0001, 0x0000, U},
    };
    for (const auto& [family, phase, first, second, order] : cases)
        EXPECT_EQ(DecideWordOrder(family, phase, first, second), order)
            << family << " " << phase.value_or(-1) << " " << first << " " << second;
}

TEST_F(Recovery, OnlyAnAddressOfTheImageBelowTheRecordMovesTheNextRecord) {
    target.uploadFamily = 15;
    const Bytes image = Load(samples::RandomBytes(3 * 1980, 1), 0, 0x1000, 0);

    ToFirstRecord();
    Receive({0x55, 0x55});
    Sent();
    // Record 1 is programmed, but the receiver says it holds data up to record 0 only.
    ArriveWithWords({0x0000, 0x1000});
    Expect({0x55}, Record(0x1000 + 1980, Slice(image, 1980, 1980)));
    EXPECT_EQ(engine->bytesSent, 1980u);
    EXPECT_NE(Trace().find("Got 00001000 back\nHandshake error - resending\nPROG - OK\n"),
              std::string::npos);
    // Three reports: the count passes two and the value is ignored.
    ArriveWithWords({0x0000, 0x1000, 0x0000});
    EXPECT_EQ(engine->DebugWordCount(), 3);
    Expect({0x55}, Record(0x1000 + 3960, Slice(image, 3960, 1980)));
    // Below the load address: no position of this image (read from before the file's start,
    // it would end the upload as if complete).
    ArriveWithWords({0x0000, 0x0800});
    Expect({0x55}, {});
    EXPECT_EQ(engine->state, LoaderState::FileDone);
    EXPECT_EQ(engine->bytesSent, 3u * 1980u);
    // Without the address check nothing moves.
    Create(0, 0x1000, 0, 0);
    ToFirstRecord();
    Receive({0x55, 0x55});
    Sent();
    ArriveWithWords({0x0000, 0x1000});
    Expect({0x55}, Record(0x1000 + 3960, Slice(image, 3960, 1980)));
    EXPECT_EQ(Trace().find("Got"), std::string::npos);
}

}  // namespace
