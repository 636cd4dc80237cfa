#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "sim/FlashMemory.h"

namespace {

using sim::FlashMemory;
using Bytes = std::vector<std::uint8_t>;

TEST(FlashMemory, EraseWorksInWholeSectors) {
    FlashMemory flash(0x10000);
    EXPECT_EQ(flash.SectorsIn(0x2D004000, 0x2D02FFFF), 3u);
    EXPECT_EQ(flash.SectorsIn(0x10000, 0xFFFF), 0u);
    EXPECT_EQ(flash.SectorsIn(0, 0xFFFFFFFF), 0x10000u);

    flash.Erase(0x2D004000, 0x2D01FFFF);
    EXPECT_TRUE(flash.IsErased(0x2D000000, 0x20000));  // the whole first sector counts
    EXPECT_FALSE(flash.IsErased(0x2D01FFFF, 2));
    flash.Erase(0x2D020000, 0x2D020000);  // touching ranges join
    EXPECT_TRUE(flash.IsErased(0x2D01FFFF, 2));
    EXPECT_FALSE(flash.IsErased(0xFFFFFFFF, 2));  // past the top of the address space
    flash.ForgetErased();
    EXPECT_FALSE(flash.IsErased(0x2D000000, 1));
}

TEST(FlashMemory, ProgramReadAndRanges) {
    FlashMemory flash;
    const Bytes data{1, 2, 3, 4, 5};
    flash.Program(0x0FFE, data.data(), data.size());  // across a page boundary
    flash.Program(0xFFFFFFFE, data.data(), 5);        // cut at the top
    EXPECT_EQ(flash.Read(0x0FFD, 7), (Bytes{0xFF, 1, 2, 3, 4, 5, 0xFF}));
    EXPECT_EQ(flash.ProgrammedBytes(), 7u);
    const std::map<std::uint32_t, Bytes> ranges{{0x0FFE, data}, {0xFFFFFFFE, {1, 2}}};
    EXPECT_EQ(flash.ProgrammedRanges(), ranges);
}

// Like NOR flash: programming clears bits only, so a byte programmed again keeps old AND
// new, and only an erase makes it take any value again.
TEST(FlashMemory, ProgrammingOnlyClearsBitsUntilTheNextErase) {
    FlashMemory flash;
    const Bytes first{0xF0, 0x3C, 0xFF};
    const Bytes second{0xF0, 0x0F, 0x00};
    EXPECT_EQ(flash.Program(0x100, first.data(), 3), 0u);   // starts erased
    EXPECT_EQ(flash.Program(0x100, first.data(), 3), 0u);   // the same values again
    EXPECT_TRUE(flash.IsProgrammed(0x102));                 // a programmed 0xFF counts
    EXPECT_EQ(flash.Program(0x100, second.data(), 3), 2u);  // two bytes changed
    EXPECT_EQ(flash.Read(0x100, 3), (Bytes{0xF0, 0x0C, 0x00}));
    flash.Erase(0, 0xFFFF);
    EXPECT_FALSE(flash.IsProgrammed(0x100));
    EXPECT_EQ(flash.Program(0x100, second.data(), 3), 0u);
    EXPECT_EQ(flash.Read(0x100, 3), second);
}

}  // namespace
