#include <gtest/gtest.h>

#include <vector>

#include "sim/FlashMemory.h"

namespace {

using sim::FlashMemory;

TEST(FlashMemory, EraseWorksInWholeSectors) {
    FlashMemory flash(0x10000);
    EXPECT_EQ(flash.SectorsIn(0x2D004000, 0x2D02FFFF), 3u);
    EXPECT_EQ(flash.SectorsIn(0, 0xFFFF), 1u);
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
    const std::vector<std::uint8_t> data{1, 2, 3, 4, 5};
    flash.Program(0x0FFE, data.data(), data.size());  // across a page boundary
    flash.Program(0x2000, data.data(), 2);
    flash.Program(0xFFFFFFFE, data.data(), 5);  // cut at the top
    EXPECT_EQ(flash.Read(0x0FFD, 7), (std::vector<std::uint8_t>{0xFF, 1, 2, 3, 4, 5, 0xFF}));
    EXPECT_EQ(flash.ProgrammedBytes(), 9u);

    const auto ranges = flash.ProgrammedRanges();
    ASSERT_EQ(ranges.size(), 3u);
    EXPECT_EQ(ranges.at(0x0FFE), data);
    EXPECT_EQ(ranges.at(0x2000), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(ranges.at(0xFFFFFFFE), (std::vector<std::uint8_t>{1, 2}));

    // A programmed 0xFF is programmed; erasing forgets the contents.
    const std::uint8_t ff = 0xFF;
    flash.Program(0x3000, &ff, 1);
    EXPECT_TRUE(flash.IsProgrammed(0x3000));
    flash.Erase(0, 0xFFFF);
    EXPECT_FALSE(flash.IsProgrammed(0x0FFE));
    EXPECT_EQ(flash.ProgrammedRanges().size(), 1u);
}

}  // namespace
