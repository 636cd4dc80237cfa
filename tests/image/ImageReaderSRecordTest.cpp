#include <gtest/gtest.h>

#include "image/ImageReader.h"
#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderSRecord : public ImageFiles {};

namespace {

samples::SRecordFormat Bare() {
    samples::SRecordFormat format;
    format.header = false;
    format.terminator = false;
    return format;
}

samples::SRecordFormat Lines(std::size_t bytesPerLine) {
    samples::SRecordFormat format;
    format.bytesPerLine = bytesPerLine;
    return format;
}

}  // namespace

TEST_F(ImageReaderSRecord, MeasuresFirstAndLastS3LineOfTheTail) {
    // 40 lines of 16 bytes: the file is far longer than the 256-byte tail.
    samples::Bytes data = samples::RandomBytes(640, 1);
    std::string text = samples::ToSRecords({{0x1000, data}}, Lines(16));
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteText("image.srec", text)));
    EXPECT_EQ(reader.isSRecord, 1);
    // The first S3 line that begins inside the last 256 bytes, after a line feed there.
    std::size_t lineStart = text.find("\nS3", text.size() - 256) + 1;
    std::uint32_t firstLineAddress = std::stoul(text.substr(lineStart + 4, 8), nullptr, 16);
    EXPECT_EQ(reader.size, firstLineAddress + 15);
    EXPECT_EQ(reader.endAddress, 0x1000u + 639);
}

TEST_F(ImageReaderSRecord, MeasurementsAreCutTo24Bits) {
    // Count 9 at 0x1000: four data bytes, the last at 0x1003.
    ImageReader reader;
    std::string small = samples::ToSRecords({{0x1000, {1, 2, 3, 4}}});
    ASSERT_TRUE(reader.Open(WriteText("small.srec", small)));
    EXPECT_EQ(reader.size, 0x1003u);
    EXPECT_EQ(reader.endAddress, 0x1003u);

    std::string code = samples::ToSRecords({{0x2D00FFE0, samples::RandomBytes(32, 2)}}, Lines(16));
    ASSERT_TRUE(reader.Open(WriteText("code.srec", code)));
    EXPECT_EQ(reader.size, 0x00FFEFu);
    EXPECT_EQ(reader.endAddress, 0x00FFFFu);
}

TEST_F(ImageReaderSRecord, WithoutS3LineNearTheEndTheImageIsNotValid) {
    ImageReader reader;
    EXPECT_FALSE(reader.Open(
        WriteText("s0.srec", "S0030000FC\nS1130000000102030405060708090A0B0C0D0E0F74\n")));
    EXPECT_EQ(reader.valid, 0);
    EXPECT_EQ(reader.isSRecord, 1);
    EXPECT_FALSE(reader.Open(WriteText("bare.srec", "S3")));
    std::array<std::uint8_t, 64> buffer{};
    std::uint32_t address = 0;
    EXPECT_EQ(reader.ReadRecord(buffer, buffer.size(), address), 0);
}

TEST_F(ImageReaderSRecord, LongLinesDoNotHideTheEndOfTheImage) {
    // Lines of 250 bytes are longer than the 256-byte tail.
    samples::Bytes data = samples::RandomBytes(3000, 5);
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteText("long.srec", samples::ToSRecords({{0x2D004000, data}}, Lines(250)))));
    EXPECT_EQ(reader.endAddress, (0x2D004000u + 2999) & 0xFFFFFF);
    ExpectContiguous(ReadAll(reader, 1980), 0x2D004000, data);
}

TEST_F(ImageReaderSRecord, RecordsBreakAtAddressGaps) {
    samples::Bytes first = samples::RandomBytes(48, 1);
    samples::Bytes second = samples::RandomBytes(16, 2);
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteText(
        "gap.srec", samples::ToSRecords({{0x1000, first}, {0x2000, second}}, Lines(16)))));
    auto records = ReadAll(reader, 1980);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].address, 0x1000u);
    EXPECT_TRUE(records[0].bytes == first);
    EXPECT_EQ(records[1].address, 0x2000u);
    EXPECT_TRUE(records[1].bytes == second);
}

TEST_F(ImageReaderSRecord, RecordsEndWithTheLineThatReachesTheCapacity) {
    // 32-byte lines: 62 lines make 1984 bytes, the first count at or above 1980.
    samples::Bytes data = samples::RandomBytes(10000, 4);
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteText("cap.srec", samples::ToSRecords({{0x2D004000, data}}, Lines(32)))));
    auto records = ReadAll(reader, 1980);
    ASSERT_EQ(records.size(), 6u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(records[i].bytes.size(), 1984u);
    EXPECT_EQ(records[5].bytes.size(), 10000u - 5 * 1984);
    ExpectContiguous(records, 0x2D004000, data);
}

TEST_F(ImageReaderSRecord, RecordsEndAfter201Lines) {
    samples::Bytes data = samples::RandomBytes(1000, 6);
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteText("ones.srec", samples::ToSRecords({{0, data}}, Lines(1)))));
    auto records = ReadAll(reader, 1980);
    // 201 one-byte lines, less the byte that keeps a continued record even.
    ASSERT_EQ(records.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(records[i].bytes.size(), 200u);
    ExpectContiguous(records, 0, data);
}

TEST_F(ImageReaderSRecord, BufferOfExactlyTheCapacityIsNeverOverrun) {
    // 250-byte lines: with the capacity as the buffer size, a line that would not fit
    // starts the next record instead of running past the buffer.
    samples::Bytes data = samples::RandomBytes(20000, 8);
    for (std::size_t perLine : {32u, 67u, 250u}) {
        ImageReader reader;
        ASSERT_TRUE(reader.Open(
            WriteText("exact.srec", samples::ToSRecords({{0x2D004000, data}}, Lines(perLine)))));
        auto records = ReadAll(reader, 1980, 1980);
        for (const Record& record : records)
            EXPECT_LE(record.bytes.size(), 1980u);
        ExpectContiguous(records, 0x2D004000, data);
    }
}

TEST_F(ImageReaderSRecord, LineLongerThanTheBufferComesInPieces) {
    samples::Bytes data = samples::RandomBytes(500, 9);
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteText("pieces.srec", samples::ToSRecords({{0x4000, data}}, Lines(250)))));
    auto records = ReadAll(reader, 4, 4);
    EXPECT_EQ(records.size(), 126u);  // 62 pieces of 4 and one of 2, per line
    ExpectContiguous(records, 0x4000, data);
}

TEST_F(ImageReaderSRecord, LastLineWithoutLineEndIsRead) {
    samples::Bytes data = samples::RandomBytes(100, 10);
    for (bool terminator : {false, true}) {
        samples::SRecordFormat format = Lines(16);
        format.terminator = terminator;
        format.finalLineEnd = false;
        ImageReader reader;
        ASSERT_TRUE(
            reader.Open(WriteText("noeol.srec", samples::ToSRecords({{0x1000, data}}, format))));
        EXPECT_EQ(reader.endAddress, 0x1000u + 99);
        ExpectContiguous(ReadAll(reader, 1980), 0x1000, data);
    }
}

TEST_F(ImageReaderSRecord, CrLfLineEnds) {
    samples::Bytes data = samples::RandomBytes(5000, 12);
    samples::SRecordFormat format = Lines(32);
    format.crlf = true;
    ImageReader reader;
    ASSERT_TRUE(
        reader.Open(WriteText("crlf.srec", samples::ToSRecords({{0x2D004000, data}}, format))));
    EXPECT_EQ(reader.endAddress, (0x2D004000u + 4999) & 0xFFFFFF);
    auto records = ReadAll(reader, 1980);
    EXPECT_EQ(records[0].bytes.size(), 1984u);
    ExpectContiguous(records, 0x2D004000, data);
}

TEST_F(ImageReaderSRecord, LinesWithoutDataDoNotEndTheImage) {
    // Count 05 (no data) and count 02 (less than an address) lines, each followed by a gap.
    std::string text = "S0030000FC\n" + samples::ToSRecords({{0x1000, {1, 2, 3}}}, Bare()) +
                       "S30500003000CA\nS30200004000FF\n" +
                       samples::ToSRecords({{0x5000, {4, 5}}}, Bare()) + "S1034000BC\n" +
                       samples::ToSRecords({{0x6000, {6}}}, Bare()) + "S705000000FA\n";
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteText("empty-lines.srec", text)));
    auto bytes = ByAddress(ReadAll(reader, 1980));
    std::map<std::uint32_t, std::uint8_t> expected{{0x1000, 1}, {0x1001, 2}, {0x1002, 3},
                                                   {0x5000, 4}, {0x5001, 5}, {0x6000, 6}};
    EXPECT_EQ(bytes, expected);
}

TEST_F(ImageReaderSRecord, S1AndS2LinesAreRecordsOfTheirOwnAtTheirAddress) {
    // An S1 line in the middle of S3 lines must not replace the S3 bytes before it.
    std::string text = "S0030000FC\n" + samples::ToSRecords({{0x1000, {1, 2, 3, 4}}}, Bare()) +
                       "S1070200AABBCCDD7C\n" + "S2060301001122C2\n" +
                       samples::ToSRecords({{0x1004, {5, 6}}}, Bare());
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteText("mixed.srec", text)));
    auto records = ReadAll(reader, 1980);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].address, 0x1000u);
    EXPECT_EQ(records[0].bytes, (samples::Bytes{1, 2, 3, 4}));
    EXPECT_EQ(records[1].address, 0x0200u);
    EXPECT_EQ(records[1].bytes, (samples::Bytes{0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_EQ(records[2].address, 0x030100u);
    EXPECT_EQ(records[2].bytes, (samples::Bytes{0x11, 0x22}));
    EXPECT_EQ(records[3].address, 0x1004u);
    EXPECT_EQ(records[3].bytes, (samples::Bytes{5, 6}));
}
