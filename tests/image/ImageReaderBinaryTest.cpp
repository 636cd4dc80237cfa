#include <gtest/gtest.h>

#include <array>

#include "image/ImageReader.h"
#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderBinary : public ImageFiles {};

TEST_F(ImageReaderBinary, EmptyPathMissingFileOrFolderIsNotValid) {
    ImageReader reader;
    EXPECT_FALSE(reader.Open(""));
    EXPECT_EQ(reader.valid, 0);
    EXPECT_FALSE(reader.Open((TestDir() / "absent.bin").string()));
    EXPECT_EQ(reader.valid, 0);
    // A folder is not an image, although the C library opens it.
    EXPECT_FALSE(reader.Open(TestDir().string()));
    EXPECT_EQ(reader.valid, 0);
    std::array<std::uint8_t, 16> buffer{};
    std::uint32_t address = 0;
    EXPECT_EQ(reader.ReadRecord(buffer, buffer.size(), address), 0);
}

TEST_F(ImageReaderBinary, ReadsAtTheFileOffsetGivenInAddress) {
    samples::Bytes data = samples::RandomBytes(5000, 11);
    std::string path = WriteBytes("image.bin", data);
    ImageReader reader;
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.isSRecord, 0);
    EXPECT_EQ(reader.size, 5000u);
    EXPECT_EQ(reader.endAddress, 5000u);
    EXPECT_EQ(reader.fileName, path);

    std::vector<std::uint8_t> buffer(1980);
    // Out of order on purpose: the engine steps back and resends.
    for (std::uint32_t offset : {3960u, 0u, 1980u, 7u}) {
        std::uint32_t address = offset;
        int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address);
        std::size_t expected = std::min<std::size_t>(1980, data.size() - offset);
        ASSERT_EQ(static_cast<std::size_t>(count), expected) << offset;
        EXPECT_EQ(address, offset);
        EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + count, data.begin() + offset));
    }
    for (std::uint32_t offset : {5000u, 5001u, 0xFFFFFFFFu}) {
        std::uint32_t address = offset;
        EXPECT_EQ(reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address), 0);
    }
    reader.Close();
    std::uint32_t address = 0;
    EXPECT_EQ(reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address), 0);
}

TEST_F(ImageReaderBinary, NeverReadsMoreThanTheBufferHolds) {
    samples::Bytes data = samples::RandomBytes(100, 3);
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteBytes("image.bin", data)));
    std::vector<std::uint8_t> buffer(10);
    std::uint32_t address = 0;
    EXPECT_EQ(reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address), 10);
    std::array<std::uint8_t, 4> four{};
    address = 50;
    EXPECT_EQ(reader.ReadRecord(four.data(), four.size(), address), 4);
    EXPECT_TRUE(std::equal(four.begin(), four.end(), data.begin() + 50));
}

TEST_F(ImageReaderBinary, EmptyAndOneByteFiles) {
    ImageReader reader;
    ASSERT_TRUE(reader.Open(WriteText("empty.bin", "")));
    EXPECT_EQ(reader.size, 0u);
    EXPECT_EQ(reader.endAddress, 0u);
    std::array<std::uint8_t, 16> buffer{};
    std::uint32_t address = 0;
    EXPECT_EQ(reader.ReadRecord(buffer, buffer.size(), address), 0);

    // One "S" is not an S-record image; it is one byte of binary.
    ASSERT_TRUE(reader.Open(WriteText("s.bin", "S")));
    EXPECT_EQ(reader.isSRecord, 0);
    EXPECT_EQ(reader.size, 1u);
    EXPECT_EQ(reader.ReadRecord(buffer, buffer.size(), address), 1);
    EXPECT_EQ(buffer[0], 'S');
}

TEST_F(ImageReaderBinary, TextThatBeginsWithS1OrS2IsReadByteForByte) {
    for (const char* text : {"S1130000000102030405060708090A0B0C0D0E0F74\nS9030000FC\n",
                             "S214000000000102030405060708090A0B0C0D0E0F73\n"}) {
        ImageReader reader;
        ASSERT_TRUE(reader.Open(WriteText("s12.hex", text)));
        EXPECT_EQ(reader.isSRecord, 0);
        std::string_view expected(text);
        std::vector<std::uint8_t> buffer(1980);
        std::uint32_t address = 0;
        int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address);
        ASSERT_EQ(static_cast<std::size_t>(count), expected.size());
        EXPECT_EQ(std::string_view(reinterpret_cast<char*>(buffer.data()), expected.size()),
                  expected);
    }
}
