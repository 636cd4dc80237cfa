// The cursor of an upload through accepted records and a step back: where it stands, and
// which record goes on the wire next.
#include "loader/RecordCursor.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kLoad = 0x1000;
constexpr int kLength = 1980;

struct StepBackCase {
    const char* name;
    bool sRecord;
    int accepted;  // records accepted before the one on the wire
    std::uint32_t position;
    std::uint16_t number;
    bool resend;  // the frame holds a record to send as it is
    int marker;   // the first data byte of the frame then on the wire
};

class RecordCursorStepBack : public ::testing::TestWithParam<StepBackCase> {};

// Puts a record on the wire whose data bytes all read marker.
void PutOnWire(RecordCursor& cursor, int marker) {
    std::fill_n(cursor.Data(), kLength, static_cast<std::uint8_t>(marker));
    cursor.Complete(kLength, true);
}

TEST_P(RecordCursorStepBack, GoesBackOneRecordOrSendsTheSameAgain) {
    const StepBackCase& c = GetParam();
    RecordCursor cursor;
    cursor.Reset(kLoad);
    for (int i = 0; i < c.accepted; ++i) {
        PutOnWire(cursor, i);
        cursor.KeepAccepted();
        cursor.Advance();
    }
    PutOnWire(cursor, c.accepted);
    cursor.StepBack(c.sRecord);
    EXPECT_EQ(std::tuple(cursor.position, cursor.number, cursor.resendLoaded),
              std::tuple(c.position, c.number, c.resend));
    EXPECT_EQ(cursor.bytesSent, static_cast<std::uint32_t>(c.number) * kLength);
    EXPECT_EQ(cursor.frame[LoaderFrame::kDataOffset], c.marker);
    // The record stepped over follows as it was, once the one before it has gone.
    cursor.resendLoaded = false;
    cursor.LoadReplay();
    EXPECT_EQ(cursor.resendLoaded, c.sRecord && c.accepted > 0);
    if (cursor.resendLoaded) {
        EXPECT_EQ(std::pair(int{cursor.frame[LoaderFrame::kDataOffset]}, cursor.position),
                  std::pair(c.accepted, c.position + kLength));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RecordCursorStepBack,
    ::testing::Values(StepBackCase{"binary_first", false, 0, kLoad, 0, true, 0},
                      StepBackCase{"binary_third", false, 2, kLoad + kLength, 1, false, 2},
                      StepBackCase{"srecord_first", true, 0, kLoad, 0, true, 0},
                      StepBackCase{"srecord_third", true, 2, kLoad + kLength, 1, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordCursor, AnOddRecordGetsAPadByteAndTheRewindCountsTheStepBack) {
    RecordCursor cursor;
    cursor.Reset(kLoad);
    cursor.Complete(3, false);
    EXPECT_EQ(std::pair(cursor.length, cursor.FrameLength()), std::pair(4, std::size_t{14}));
    EXPECT_EQ(cursor.frame[LoaderFrame::kDataOffset + 3], 0);
    cursor.Advance();
    cursor.RewindTo(kLoad);
    cursor.Advance();
    EXPECT_EQ(std::tuple(cursor.position, cursor.bytesSent, cursor.number),
              std::tuple(kLoad + RecordCursor::kStepBack, 4u, std::uint16_t{2}));
}

}  // namespace
