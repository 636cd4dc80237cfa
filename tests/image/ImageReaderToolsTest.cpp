// S-record images that objcopy (binutils) makes of random binaries.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderTools : public ImageFiles {
  protected:
    // Runs a tool on random.bin (size bytes) writing out.srec, and reads that back.
    std::vector<Record> Convert(const char* tool, const std::string& arguments, std::size_t size,
                                std::uint32_t start) {
        data = samples::RandomBytes(size, size);
        Write("random.bin", data);
        EXPECT_EQ(std::system((std::string(tool) + arguments).c_str()), 0) << arguments;
        // As the tool made it, without its S0 line, and after an editor added a byte
        // order mark and a blank line: always S-records, always whole.
        const std::string made = TempWorkDir::Read("out.srec");
        EXPECT_TRUE(made.starts_with("S0")) << tool;
        std::vector<Record> records;
        for (const std::string& text :
             {made, made.substr(made.find('\n') + 1), "\xEF\xBB\xBF\r\n" + made}) {
            ImageReader reader;
            EXPECT_TRUE(reader.Open(Write("variant.srec", text))) << reader.problem;
            EXPECT_EQ(reader.isSRecord, 1);
            EXPECT_EQ(reader.endAddress, (start + size - 1) & 0xFFFFFF);
            records = ReadAll(reader, 1980);
            ExpectContiguous(records, start, data);
        }
        return records;
    }
    samples::Bytes data;
};

TEST_F(ImageReaderTools, ObjcopyImagesComeBackByteForByte) {
    if (std::system("command -v objcopy >/dev/null") != 0)
        GTEST_SKIP() << "objcopy (binutils) is not installed";
    for (std::uint32_t start : {0x2D004000u, 0x00100001u}) {
        for (std::size_t perLine : {1u, 8u, 16u, 32u, 67u, 128u, 250u}) {
            SCOPED_TRACE(testing::Message() << std::hex << start << std::dec << " / " << perLine);
            std::string arguments =
                " -I binary -O srec --srec-forceS3 --srec-len=" + std::to_string(perLine) +
                " --change-addresses=" + std::to_string(start) + " random.bin out.srec";
            std::vector<Record> records = Convert("objcopy", arguments, 70001, start);
            // Whole lines up to 1980 bytes or beyond, at most 201 of them, made even.
            std::size_t lines = std::min<std::size_t>((1980 + perLine - 1) / perLine, 201);
            for (std::size_t i = 0; i + 1 < records.size(); ++i)
                ASSERT_EQ(records[i].bytes.size(), lines * perLine / 2 * 2) << "record " << i;
        }
    }
}
