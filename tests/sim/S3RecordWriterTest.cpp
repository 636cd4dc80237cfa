#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/S3RecordWriter.h"

namespace {

using sim::S3RecordWriter;

TEST(S3RecordWriter, LinesFollowTheRangesWithValidChecksums) {
    std::map<std::uint32_t, std::vector<std::uint8_t>> ranges;
    ranges[0x2D004000] = std::vector<std::uint8_t>(40, 0xA5);
    ranges[0x10] = {0x01, 0x02, 0x03};
    std::istringstream lines(S3RecordWriter::Format(ranges));
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);)
        all.push_back(line);
    ASSERT_EQ(all.size(), 5u);  // S0, one line at 0x10, two at 0x2D004000, S7
    EXPECT_EQ(all[0].substr(0, 2), "S0");
    EXPECT_EQ(all[1], "S30800000010010203E1");
    EXPECT_EQ(all[2].substr(0, 12), "S3252D004000");
    EXPECT_EQ(all[3].substr(0, 12), "S30D2D004020");  // the 8 bytes that remain
    EXPECT_EQ(all[4], "S70500000000FA");
    for (const std::string& l : all) {
        unsigned sum = 0;
        for (std::size_t i = 2; i + 1 < l.size(); i += 2)
            sum += std::stoul(l.substr(i, 2), nullptr, 16);
        EXPECT_EQ(sum & 0xFF, 0xFFu) << l;  // the count, address, data and checksum add up to 0xFF
    }
}

TEST(S3RecordWriter, WritesTheFileWhole) {
    const std::string path = "flash-test.s3";
    const std::map<std::uint32_t, std::vector<std::uint8_t>> ranges{{0, {0xAB}}};
    ASSERT_TRUE(S3RecordWriter::WriteFile(path, ranges));
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    EXPECT_EQ(content.str(), S3RecordWriter::Format(ranges));
    std::remove(path.c_str());
    EXPECT_FALSE(S3RecordWriter::WriteFile("no-such-dir/flash.s3", ranges));
}

}  // namespace
