#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "sim/S3RecordWriter.h"

namespace {

using sim::S3RecordWriter;

TEST(S3RecordWriter, LinesFollowTheRangesAndTheFileIsWrittenWhole) {
    const std::map<std::uint32_t, std::vector<std::uint8_t>> ranges{
        {0x2D004000, std::vector<std::uint8_t>(40, 0xA5)}, {0x10, {0x01, 0x02, 0x03}}};
    ASSERT_TRUE(S3RecordWriter::WriteFile("flash-test.s3", ranges));
    EXPECT_FALSE(S3RecordWriter::WriteFile("no-such-dir/flash.s3", ranges));
    std::ifstream file("flash-test.s3");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    std::remove("flash-test.s3");
    ASSERT_EQ(lines.size(), 5u);  // S0, one line at 0x10, two at 0x2D004000, S7
    EXPECT_EQ(lines[0].substr(0, 2), "S0");
    EXPECT_EQ(lines[1], "S30800000010010203E1");
    EXPECT_EQ(lines[2].substr(0, 12), "S3252D004000");
    EXPECT_EQ(lines[3].substr(0, 12), "S30D2D004020");  // the 8 bytes that remain
    EXPECT_EQ(lines[4], "S70500000000FA");
    for (const std::string& l : lines) {
        unsigned sum = 0;
        for (std::size_t i = 2; i + 1 < l.size(); i += 2)
            sum += std::stoul(l.substr(i, 2), nullptr, 16);
        EXPECT_EQ(sum & 0xFF, 0xFFu) << l;  // count, address, data and checksum add up to 0xFF
    }
}

}  // namespace
