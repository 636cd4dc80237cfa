#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "tests/image/ImageTestFiles.h"
#include "tests/support/SpecialFiles.h"

using namespace imagetest;

class ImageReaderBinary : public ImageFiles {};

TEST_F(ImageReaderBinary, OnlyARegularFileUnder4GiBIsAnImage) {
    ImageReader reader;
    std::array<std::uint8_t, 16> buffer{};
    std::uint32_t address = 0;
    // A folder is not an image, although the C library opens it; opening a FIFO would wait.
    const NonRegularFile fifo("fifo");
    ASSERT_TRUE(fifo.Made());
    for (std::string path :
         {std::string(), std::string("absent.bin"), dir.Path().string(), std::string("fifo")}) {
        EXPECT_FALSE(reader.Open(path)) << path;
        EXPECT_EQ(reader.ReadRecord(buffer, buffer.size(), address), 0);
    }
    // Sizes and addresses are 32-bit: a file of 4 GiB is refused (sparse, no disk used).
    std::string big = Write("big.bin", "");
    std::error_code error;
    std::filesystem::resize_file(big, 0xFFFFFFFFull, error);
    if (error)
        GTEST_SKIP() << "no sparse file: " << error.message();
    EXPECT_TRUE(reader.Open(big));
    EXPECT_EQ(reader.size, 0xFFFFFFFFu);
    std::filesystem::resize_file(big, 0x100000000ull);
    EXPECT_FALSE(reader.Open(big));
    EXPECT_EQ(reader.valid + reader.size + reader.endAddress, 0u);
}

TEST_F(ImageReaderBinary, FilesWhoseFirstLineIsNoSRecordAreReadByteForByte) {
    for (std::string text :
         std::vector<std::string>{"", "S", "\n\n", "SX0000\n", "Hello S1 line\n",
                                  std::string("\0S3150000", 9), "\xEF\xBB\xBFnot S-records\n"}) {
        ImageReader reader;
        ASSERT_TRUE(reader.Open(Write("text.bin", text)));
        EXPECT_EQ(reader.isSRecord, 0);
        EXPECT_EQ(reader.size, text.size());
        std::vector<std::uint8_t> buffer(1980);
        std::uint32_t address = 0;
        int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address);
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + count), text);
        EXPECT_FALSE(reader.ReadFailed());
    }
}
