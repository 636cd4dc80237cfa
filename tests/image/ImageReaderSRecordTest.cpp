#include <gtest/gtest.h>

#include <tuple>

#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderSRecord : public ImageFiles {};

TEST_F(ImageReaderSRecord, MeasuresTheFirstAndLastS3LineNearTheEndCutTo24Bits) {
    // 40 lines of 16 bytes: the file is far longer than the 256-byte tail.
    std::string text = samples::ToSRecords({{0x1000, samples::RandomBytes(640, 1)}}, Lines(16));
    ImageReader reader;
    ASSERT_TRUE(reader.Open(Write("image.srec", text)));
    // The first S3 line that begins inside the last 256 bytes, after a line feed there.
    std::size_t lineStart = text.find("\nS3", text.size() - 256) + 1;
    EXPECT_EQ(reader.size, std::stoul(text.substr(lineStart + 4, 8), nullptr, 16) + 15);
    EXPECT_EQ(reader.endAddress, 0x1000u + 639);

    text = samples::ToSRecords({{0x2D00FFE0, samples::RandomBytes(32, 2)}}, Lines(16));
    ASSERT_TRUE(reader.Open(Write("code.srec", text)));
    EXPECT_EQ(reader.size, 0x00FFEFu);
    EXPECT_EQ(reader.endAddress, 0x00FFFFu);

    // Without an S3 line near the end the image is not valid.
    for (const char* bad : {"S0030000FC\nS1130000000102030405060708090A0B0C0D0E0F74\n", "S3"}) {
        EXPECT_FALSE(reader.Open(Write("bad.srec", bad)));
        EXPECT_EQ(reader.isSRecord, 1);
    }
    std::array<std::uint8_t, 64> buffer{};
    std::uint32_t address = 0;
    EXPECT_EQ(reader.ReadRecord(buffer, buffer.size(), address), 0);
}

TEST_F(ImageReaderSRecord, RecordsEndAtTheCapacityAfter201LinesAndNeverOverrunTheBuffer) {
    struct Case {
        std::size_t perLine, size, capacity, buffer;  // buffer 0: MaxRecordLength(capacity)
        std::size_t records, fullRecord;              // 0: not checked
    };
    // 32-byte lines: 62 make 1984 bytes, the first count at or above 1980; one-byte lines:
    // 201, less one to keep the record even. With the capacity as the buffer, a line that
    // would not fit starts the next record; a line longer than the buffer comes in pieces
    // (62 of 4, one of 2). Odd lines in the engine's 2046 bytes still give even records.
    for (const Case& c : {Case{32, 10000, 1980, 0, 6, 1984}, Case{1, 1000, 1980, 0, 5, 200},
                          Case{32, 20000, 1980, 1980, 0, 0}, Case{67, 20000, 1980, 1980, 0, 0},
                          Case{250, 20000, 1980, 1980, 0, 0}, Case{250, 500, 4, 4, 126, 0},
                          Case{33, 9001, 1980, 2046, 0, 0}, Case{37, 9001, 1980, 2046, 0, 0},
                          Case{249, 9001, 1980, 2046, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.perLine << " per line, buffer " << c.buffer);
        samples::Bytes data = samples::RandomBytes(c.size, c.perLine);
        ImageReader reader;
        ASSERT_TRUE(reader.Open(
            Write("cap.srec", samples::ToSRecords({{0x2D004000, data}}, Lines(c.perLine)))));
        std::vector<Record> records = ReadAll(reader, c.capacity, c.buffer);
        EXPECT_TRUE(c.records == 0 || records.size() == c.records) << records.size();
        for (std::size_t i = 0; c.fullRecord != 0 && i + 1 < records.size(); ++i)
            EXPECT_EQ(records[i].bytes.size(), c.fullRecord) << i;
        ExpectContiguous(records, 0x2D004000, data);
    }
}

TEST_F(ImageReaderSRecord, EmptyLinesAreSkippedAndGapsS1AndS2LinesStartRecordsOfTheirOwn) {
    // A count 05 line (no data) and an S1 line without data.
    std::string empty = "S0030000FC\n" + Bare({{0x1000, {1, 2, 3}}}) + "S30500003000CA\n" +
                        Bare({{0x5000, {4, 5}}}) + "S1034000BC\n" + Bare({{0x6000, {6}}}) +
                        "S70500000000FA\n";
    // An S1 line in the middle of S3 lines must not replace the S3 bytes before it.
    std::string mixed = "S0030000FC\n" + Bare({{0x1000, {1, 2, 3, 4}}}) + "S1070200AABBCCDDE8\n" +
                        "S2060301001122C2\n" + Bare({{0x1004, {5, 6}}});
    for (const auto& [text, expected] : std::vector<std::pair<std::string, std::vector<Record>>>{
             {empty, {{0x1000, {1, 2, 3}}, {0x5000, {4, 5}}, {0x6000, {6}}}},
             {mixed,
              {{0x1000, {1, 2, 3, 4}},
               {0x0200, {0xAA, 0xBB, 0xCC, 0xDD}},
               {0x030100, {0x11, 0x22}},
               {0x1004, {5, 6}}}}}) {
        ImageReader reader;
        ASSERT_TRUE(reader.Open(Write("lines.srec", text))) << reader.problem;
        EXPECT_EQ(ReadAll(reader, 1980), expected);
    }
}

// The tail is the last 256 bytes: an S3 line counts for size when the line feed before it
// is inside (256 bytes before the end), not when it is one byte further (257).
TEST_F(ImageReaderSRecord, TailSearchEdgesAt256And257Bytes) {
    // Line feed, a 16-byte line (46 characters), line feed, an 89-byte line (192), line
    // feed and an S7 line with its line feed (15): 256 bytes; a blank line makes 257.
    const std::string head =
        samples::ToSRecords({{0x1000, samples::RandomBytes(64, 1)}}, Lines(16));
    std::string body = head.substr(0, head.rfind("S7"));  // S0 and four lines, no S7
    samples::SRecordFormat oneLine = Lines(89);
    oneLine.header = oneLine.terminator = false;
    body += Bare({{0x5000, samples::RandomBytes(16, 2)}}) +
            samples::ToSRecords({{0x6000, samples::RandomBytes(89, 3)}}, oneLine) +
            "S70500000000FA\n";
    for (const auto& [extra, size] : std::vector<std::pair<std::string, std::uint32_t>>{
             {"", 0x5000 + 15}, {"\n", 0x6000 + 88}}) {
        const std::string text = body + extra;
        SCOPED_TRACE(extra.size());
        ASSERT_EQ(text.size() - text.rfind("\nS3", text.rfind("\nS3") - 1), 256u + extra.size());
        ImageReader reader;
        ASSERT_TRUE(reader.Open(Write("tail.srec", text))) << reader.problem;
        EXPECT_EQ(reader.size, size);
        EXPECT_EQ(reader.endAddress, 0x6000u + 88);
    }
}
