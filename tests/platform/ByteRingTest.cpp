#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/ByteRing.h"

namespace {

using platform::ByteRing;

std::size_t Push(ByteRing& ring, const std::string& text) {
    return ring.Push(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
std::string PopAll(ByteRing& ring) {
    std::string out(ring.Size(), '\0');
    ring.Pop(reinterpret_cast<std::uint8_t*>(out.data()), out.size());
    return out;
}

TEST(ByteRing, KeepsOrderAcrossTheWrapAndTakesOnlyWhatFits) {
    ByteRing ring(8);
    EXPECT_EQ(Push(ring, "abcdef"), 6u);
    ring.Drop(2);
    EXPECT_EQ(Push(ring, "ghijklmn"), 4u);  // room for four: wraps
    EXPECT_FALSE(ring.PushFront('!'));
    std::size_t run = 0;
    const std::uint8_t* front = ring.FrontRun(run);
    EXPECT_EQ(run, 6u);  // "cdefgh" up to the end of storage
    EXPECT_EQ(front[0], 'c');
    EXPECT_EQ(PopAll(ring), "cdefghij");
    Push(ring, "xy");
    EXPECT_TRUE(ring.PushFront('!'));
    EXPECT_EQ(PopAll(ring), "!xy");
    ring.Reset(2);
    EXPECT_EQ(Push(ring, "abc"), 2u);
    ring.Drop(5);
    EXPECT_TRUE(ring.Empty());
}

}  // namespace
