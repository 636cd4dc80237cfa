// Records that the image continues without a gap are even, so the engine's pad byte
// never lands on image data.
#include <gtest/gtest.h>

#include <array>

#include "image/ImageReader.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

namespace {

struct Record {
    std::uint32_t address;
    std::vector<std::uint8_t> bytes;
};

std::vector<Record> ReadAll(const std::string& path) {
    ImageReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<Record> records;
    std::array<std::uint8_t, 2046> buffer{};  // the engine's room for data
    for (;;) {
        std::uint32_t address = 0;
        int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address);
        if (count <= 0)
            break;
        records.push_back({address, {buffer.begin(), buffer.begin() + count}});
    }
    return records;
}

}  // namespace

TEST(EvenRecords, OddLinesNeverLeaveAnOddRecordInTheMiddleOfARun) {
    TempWorkDir dir;
    auto first = samples::RandomBytes(9001, 1);
    auto second = samples::RandomBytes(777, 2);
    for (std::size_t lineLength : {1u, 33u, 35u, 37u, 249u}) {
        SCOPED_TRACE(lineLength);
        samples::SRecordFormat format;
        format.bytesPerLine = lineLength;
        samples::WriteFile(
            "odd.srec", samples::ToSRecords({{0x2D004000, first}, {0x2D010001, second}}, format));
        std::vector<Record> records = ReadAll("odd.srec");
        ASSERT_FALSE(records.empty());

        std::vector<std::uint8_t> run;
        std::uint32_t runStart = records[0].address;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const Record& r = records[i];
            bool continued =
                i + 1 < records.size() && records[i + 1].address == r.address + r.bytes.size();
            if (continued) {
                EXPECT_EQ(r.bytes.size() % 2, 0u)
                    << "record " << i << " at " << std::hex << r.address;
            }
            if (r.address != runStart + run.size()) {
                EXPECT_EQ(run, first);
                run.clear();
                runStart = r.address;
            }
            run.insert(run.end(), r.bytes.begin(), r.bytes.end());
        }
        EXPECT_EQ(runStart, 0x2D010001u);
        EXPECT_EQ(run, second);
    }
}
