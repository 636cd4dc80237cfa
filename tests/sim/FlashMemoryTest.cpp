#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sim/FlashMemory.h"

namespace {

using sim::FlashMemory;
using Bytes = std::vector<std::uint8_t>;

// Like NOR flash: programming clears bits only, so a byte programmed again keeps old AND
// new; it is corrupted unless that is the new value. Only an erase sets bits again.
TEST(FlashMemory, ProgrammingOnlyClearsBitsUntilTheNextErase) {
    FlashMemory flash;
    const Bytes first{0xF0, 0x3C, 0xFF};
    const Bytes second{0xF0, 0x0F, 0x00};
    EXPECT_EQ(flash.Program(0x0FFF, first.data(), 3), 0u);      // starts erased
    EXPECT_EQ(flash.Program(0x0FFF, first.data(), 3), 0u);      // the same values again
    EXPECT_EQ(flash.Program(0xFFFFFFFF, first.data(), 3), 0u);  // cut at the top
    EXPECT_EQ(flash.ProgrammedRanges(),
              (std::map<std::uint32_t, Bytes>{{0x0FFF, first}, {0xFFFFFFFF, {0xF0}}}));
    EXPECT_EQ(flash.Program(0x0FFF, second.data(), 3), 1u);  // 0x3C cannot become 0x0F
    EXPECT_EQ(flash.Read(0x0FFE, 5), (Bytes{0xFF, 0xF0, 0x0C, 0x00, 0xFF}));  // across pages
    flash.Erase(0, 0xFFFF);
    EXPECT_FALSE(flash.IsProgrammed(0x1000));
    EXPECT_EQ(flash.Program(0x0FFF, second.data(), 3), 0u);
    EXPECT_EQ(flash.Read(0x0FFF, 3), second);
}

}  // namespace
