// S-record images written by objcopy (GNU binutils) and srec_cat (srecord) from random
// binaries: every byte must come back at its address.

#include <gtest/gtest.h>

#include <cstdlib>

#include "image/ImageReader.h"
#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderTools : public ImageFiles {};

namespace {

bool HaveTool(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool RunCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::uint32_t Cut24(std::uint32_t value) {
    return value > 0xFFFFFF ? value & 0xFFFFFF : value;
}

}  // namespace

TEST_F(ImageReaderTools, ObjcopyImagesComeBackByteForByte) {
    if (!HaveTool("objcopy"))
        GTEST_SKIP() << "objcopy (binutils) is not installed";
    samples::Bytes data = samples::RandomBytes(70001, 77);
    std::string binary = WriteBytes("random.bin", data);
    for (std::uint32_t start : {0x2D004000u, 0x00100001u}) {
        for (std::size_t perLine : {1u, 8u, 16u, 32u, 67u, 128u, 250u}) {
            SCOPED_TRACE(testing::Message() << std::hex << start << std::dec << " / " << perLine);
            std::string srec = (TestDir() / "objcopy.srec").string();
            char command[512];
            std::snprintf(command, sizeof command,
                          "objcopy -I binary -O srec --srec-forceS3 --srec-len=%zu "
                          "--change-addresses=0x%08X %s %s",
                          perLine, static_cast<unsigned>(start), binary.c_str(), srec.c_str());
            ASSERT_TRUE(RunCommand(command));

            ImageReader reader;
            ASSERT_TRUE(reader.Open(srec));
            EXPECT_EQ(reader.endAddress, Cut24(start + 70000));
            auto records = ReadAll(reader, 1980);
            ExpectContiguous(records, start, data);
            // Whole lines up to 1980 bytes or beyond, at most 201 of them, made even
            // since the image goes on right after each record.
            std::size_t lines = std::min<std::size_t>((1980 + perLine - 1) / perLine, 201);
            for (std::size_t i = 0; i + 1 < records.size(); ++i) {
                ASSERT_EQ(records[i].bytes.size(), lines * perLine / 2 * 2) << "record " << i;
            }
        }
    }
}

TEST_F(ImageReaderTools, SrecCatImagesComeBackByteForByte) {
    if (!HaveTool("srec_cat"))
        GTEST_SKIP() << "srec_cat (srecord) is not installed";
    samples::Bytes data = samples::RandomBytes(50000, 78);
    std::string binary = WriteBytes("random.bin", data);
    for (std::size_t perLine : {4u, 32u, 100u, 250u}) {
        SCOPED_TRACE(perLine);
        std::string srec = (TestDir() / "srec_cat.srec").string();
        char command[512];
        std::snprintf(command, sizeof command,
                      "srec_cat %s -binary -offset 0x2D004000 -o %s -motorola -address-length=4 "
                      "-output-block-size=%zu",
                      binary.c_str(), srec.c_str(), perLine);
        ASSERT_TRUE(RunCommand(command));

        ImageReader reader;
        ASSERT_TRUE(reader.Open(srec));
        EXPECT_EQ(reader.endAddress, Cut24(0x2D004000 + 49999));
        for (std::size_t buffer : {ImageReader::MaxRecordLength(1980), std::size_t{1980}}) {
            ASSERT_TRUE(reader.Open(srec));
            auto records = ReadAll(reader, 1980, buffer);
            ExpectContiguous(records, 0x2D004000, data);
        }
    }
}
