// The receiver's debug reports: word order and the reported address.
#include <gtest/gtest.h>

#include <optional>

#include "loader/WordOrder.h"
#include "tests/loader/LoaderFixture.h"

namespace {

TEST(WordOrderTest, DecidedByFamilyPhaseAndTheZeroHalf) {
    const WordOrder H = WordOrder::HighFirst, L = WordOrder::LowFirst, U = WordOrder::Undecided;
    const std::nullopt_t none = std::nullopt;
    const struct {
        int family;
        std::optional<int> phase;
        std::uint16_t first, second;
        WordOrder order;
    } cases[] = {
        {15, none, 0x0000, 0x0123, H}, {5, 1, 0x0123, 0x0000, H}, {6, none, 0xFFFF, 0xFFFF, H},
        {2, none, 0x0000, 0x0123, U},  {2, 0, 0x0000, 0x0001, H}, {2, 0, 0x0000, 0x0FFF, H},
        {2, 0, 0x0FFF, 0x0000, L},     {3, 0, 0x0123, 0x0000, L}, {2, 0, 0x0000, 0x1000, U},
        {2, 0, 0x1000, 0x0000, U},     {2, 0, 0x0000, 0x0000, U}, {2, 0, 0x0001, 0x0001, U},
        {2, 1, 0x0000, 0x000A, L},     {2, 1, 0x000F, 0x0000, H}, {3, 1, 0x0000, 0x0001, L},
        {2, 1, 0x0000, 0x0010, U},     {2, 1, 0x0010, 0x0000, U}, {2, 2, 0x0000, 0x0001, U},
        {2, 3, 0x0001, 0x0000, U},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecideWordOrder(c.family, c.phase, c.first, c.second), c.order)
            << "family " << c.family << " phase " << c.phase.value_or(-1) << " words " << c.first
            << " " << c.second;
    }
}

using Reports = LoaderFixture;

TEST_F(Reports, OnlyAnAddressOfTheImageBelowTheRecordMovesTheNextRecord) {
    theUnit.family = 15;
    const Bytes image = Pattern(4 * 1980);
    Image(image);
    Create(0, 0x1000, 0);
    ToFirstRecord();
    Acknowledge();
    Sent();
    // Record 1 is programmed, but the receiver says it holds data up to record 0 only.
    ArriveWithWords({0x0000, 0x1000});
    EXPECT_EQ(engine.ReportedValue(), 0x1000u);
    Expect({0x55}, Record(0x1000 + 1980, Slice(image, 1980, 1980)));
    EXPECT_EQ(engine.bytesSent, 1980u);
    EXPECT_NE(Trace().find("Got 00001000 back\nHandshake error - resending\nPROG - OK\n"),
              std::string::npos);
    // A report of the record itself moves nothing.
    ArriveWithWords({0x0000, 0x1000 + 1980});
    Expect({0x55}, Record(0x1000 + 3960, Slice(image, 3960, 1980)));
    // Three reports: the count passes two and the value is ignored.
    ArriveWithWords({0x0000, 0x1000, 0x0000});
    EXPECT_EQ(engine.DebugWordCount(), 3);
    Expect({0x55}, Record(0x1000 + 5940, Slice(image, 5940, 1980)));
    // Below the load address: no position of this image (it would read before the file's
    // start and end the upload as if it were complete).
    ArriveWithWords({0x0000, 0x0800});
    Expect({0x55}, {});
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_EQ(engine.bytesSent, 4u * 1980u);
}

TEST_F(Reports, WithoutAddressCheckOrInRecordNumberedModeNothingMoves) {
    theUnit.family = 15;
    const Bytes image = Pattern(2 * 1980);
    Image(image);
    Create(0, 0x1000, 0, 0);
    ToFirstRecord();
    Sent();
    ArriveWithWords({0x0000, 0x0800});
    Expect({0x55}, Record(0x1000 + 1980, Slice(image, 1980, 1980)));
    EXPECT_EQ(Trace().find("Got"), std::string::npos);

    engine.CloseTrace();
    Create(1, 0, 0xFFFFFFFF, 1);
    EXPECT_EQ(Trace(), "");  // every new engine starts a new trace
    Connect();
    Acknowledge();
    Sent();
    ArriveWithWords({0x0000, 0x0001});
    Expect({0x55}, {});
    EXPECT_EQ(engine.state, LoaderState::FileDone);
    EXPECT_EQ(engine.bytesSent, 2u * 1980u);
    EXPECT_NE(Trace().find("Got 00000001 back\nPROG - OK\n"), std::string::npos);
}

TEST_F(Reports, FamilyTwoDecidesTheWordOrderOnceByItsPhase) {
    theUnit.family = 2;
    Image(Pattern(6 * 1980));
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    FixedPhase phase;
    const auto report = [&](const FixedPhase* source, int now, std::uint16_t low, WordOrder order,
                            std::uint32_t value) {
        phase.phase = now;
        engine.SetPhaseSource(source);
        ArriveWithWords({0x0000, low});
        EXPECT_EQ(engine.Order(), order);
        EXPECT_EQ(engine.ReportedValue(), value);
        Receive({0x55});
    };
    report(nullptr, 0, 0x0123, WordOrder::Undecided, 0);  // no phase known: the value stays 0
    report(&phase, 1, 0x000A, WordOrder::LowFirst, 0x000A0000);
    // Decided once: a later report is read in the same order, whatever the phase says.
    report(&phase, 0, 0x0123, WordOrder::LowFirst, 0x01230000);
    // A new engine decides again.
    Create(0, 0, 0x9FFFF);
    ToFirstRecord();
    report(&phase, 0, 0x0123, WordOrder::HighFirst, 0x00000123);
}

}  // namespace
