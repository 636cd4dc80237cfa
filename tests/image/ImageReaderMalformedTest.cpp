#include <gtest/gtest.h>

#include <random>

#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderMalformed : public ImageFiles {};

// Bad lines between good ones give at most the bytes they hold: nothing made up or moved.
TEST_F(ImageReaderMalformed, BadLinesNeverInventOrMoveBytes) {
    std::string junk = "S3";
    for (int i = 0; i < 40; ++i)
        junk += static_cast<char>((i * 37) & 0xFF);
    std::string text = "S0030000FC\n" + Bare({{0x1000, {1, 2, 3, 4}}}) +
                       "S3\n"                      // no count
                       "S315\n"                    // no address
                       "S3152D00\n"                // half an address
                       "S3152D00G00001020304\n"    // non-hex in the address
                       "S30B0000200011223\n"       // odd digit count: one whole pair
                       "S30B00003000AABBZZCC00\n"  // non-hex pair ends the data
                       "S30B000040005566\r\n"      // shorter than its count
                       + junk + "\n" +             // binary junk after S3
                       "S3FF00005000" + std::string(600, '7') + "\n" +  // 255 and more
                       std::string(1000, 'S') + "\n" +                  // a very long line
                       "\n\r\nX\n" + Bare({{0x6000, {9, 8}}}) + "S705000000FA";
    std::map<std::uint32_t, std::uint8_t> expected{{0x1000, 1},    {0x1001, 2},    {0x1002, 3},
                                                   {0x1003, 4},    {0x2000, 0x11}, {0x2001, 0x22},
                                                   {0x3000, 0xAA}, {0x3001, 0xBB}, {0x4000, 0x55},
                                                   {0x4001, 0x66}, {0x6000, 9},    {0x6001, 8}};
    for (std::uint32_t i = 0; i < 250; ++i)
        expected[0x5000 + i] = 0x77;
    for (std::size_t buffer : {std::size_t{0}, std::size_t{1980}, std::size_t{3}}) {
        ImageReader reader;
        ASSERT_TRUE(reader.Open(Write("bad.srec", text)));
        EXPECT_EQ(ByAddress(ReadAll(reader, 1980, buffer)), expected) << "buffer " << buffer;
    }
}

// Tiny odd files and random damage to a valid image: whatever the reader makes of them, it
// never writes past the buffer (the sanitizer build checks) and always comes to an end.
TEST_F(ImageReaderMalformed, TinyAndDamagedImagesNeverOverrunTheBuffer) {
    std::mt19937 random(1234);
    std::string clean;
    for (std::size_t perLine : {16u, 250u})
        clean += samples::ToSRecords({{0x2D004000, samples::RandomBytes(4000, perLine)}},
                                     Lines(perLine));
    const char kAlphabet[] = "S0123456789ABCDEFabcdefxyz\r\n\n\n\0\xff";
    auto anyCharacter = [&] { return kAlphabet[random() % (sizeof kAlphabet - 1)]; };
    for (const std::string& text : std::vector<std::string>{
             "S", "S0", "S3", "S0\n", "S3\n", "S30", "S0\nS3", "S0\nS3\n", "S3FF", "S0\n\n\n",
             std::string("S3\0\0\0", 5), "S0\r\nS3FFFFFFFFFF"}) {
        ImageReader reader;
        reader.Open(Write("tiny.srec", text));
        ReadAll(reader, 8, 8);
    }
    for (int round = 0; round < 200; ++round) {
        std::string text = clean;
        for (int edits = 1 + static_cast<int>(random() % 40); edits > 0; --edits) {
            std::size_t at = random() % text.size();
            switch (random() % 3) {
                case 0:
                    text[at] = anyCharacter();
                    break;
                case 1:
                    text.erase(at, random() % 8);
                    break;
                default:
                    text.insert(at, 1 + random() % 300, anyCharacter());
                    break;
            }
        }
        if (round % 2 == 0)
            text.resize(random() % text.size());
        ImageReader reader;
        reader.Open(Write("damaged.srec", text));
        std::size_t capacity = (round % 3 == 0) ? 1980 : 1 + random() % 300;
        ReadAll(reader, capacity, (round % 2 == 0) ? capacity : 0);
    }
}
