#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/image/ImageTestFiles.h"

using namespace imagetest;

class ImageReaderMalformed : public ImageFiles {};

// An S-record line of a type with its address and data pairs, count and checksum made.
std::string Line(char type, const std::string& pairs) {
    const std::size_t count = pairs.size() / 2 + 1;
    unsigned sum = static_cast<unsigned>(count);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
        sum += static_cast<unsigned>(std::stoul(pairs.substr(i, 2), nullptr, 16));
    char tail[8];
    std::snprintf(tail, sizeof tail, "%02X", ~sum & 0xFF);
    char head[4];
    std::snprintf(head, sizeof head, "%02X", static_cast<unsigned>(count));
    return std::string("S") + type + head + pairs + tail + "\n";
}

// Every kind of damage refuses the image at open, naming the file and the first bad line;
// nothing of it is read.
TEST_F(ImageReaderMalformed, DamagedLinesRefuseTheImageNamingTheFirstBadLine) {
    const std::string head = "S00600004844521B\n" + Line('3', "2D00400001020304") +
                             Line('3', "2D00400405060708");  // lines 1 to 3
    const std::string good = Line('3', "2D0040080900");
    const std::string end = Line('7', "2D004000");
    const std::string last = Line('3', "2D00400A0B0C0D0E") + end;
    struct Case {
        const char* damage;
        std::string line4;
        const char* fault;
        const char* badLine = "line 4 ";
    };
    const Case cases[] = {
        {"a line one pair short (its checksum would be sent as data)",
         good.substr(0, good.size() - 3) + "\n", "does not match its length"},
        {"a non-hex address", "S3092D00G008090012\n", "not a hexadecimal digit"},
        {"a non-hex data pair", "S3092D004008ZZ0012\n", "not a hexadecimal digit"},
        {"a wrong checksum", "S3072D004008090000\n", "wrong checksum"},
        {"an odd digit count", "S3072D00400809001\n", "cut short or has a digit too many"},
        {"a count longer than the line", "S3FF2D0040080900AA\n", "does not match its length"},
        {"a count below its address", "S3030000FC\n", "too short for its address"},
        {"a reserved type", Line('4', "0000"), "unknown record type"},
        {"a type that is no digit", "SX030000FC\n", "unknown record type"},
        {"a line that is no S-record", "; comment\n", "is not an S-record line"},
        {"a line longer than any S-record", "S3FF2D004008" + std::string(700, '7') + "\n",
         "does not match its length"},
        {"a wrong record count", Line('5', "0009"), "wrong record count"},
        {"data after the end record", end + good, "follows the end record", "line 5 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        const std::string path = Write("bad.srec", head + c.line4 + last);
        ImageReader reader;
        EXPECT_FALSE(reader.Open(path));
        EXPECT_EQ(reader.valid, 0);
        EXPECT_EQ(reader.isSRecord, 1);
        EXPECT_NE(reader.problem.find(path), std::string::npos) << reader.problem;
        EXPECT_NE(reader.problem.find(c.badLine), std::string::npos) << reader.problem;
        EXPECT_NE(reader.problem.find(c.fault), std::string::npos) << reader.problem;
        // Nothing is handed out, and that is no end of an image.
        std::vector<std::uint8_t> buffer(1980);
        std::uint32_t address = 0;
        EXPECT_EQ(reader.ReadRecord(std::span<std::uint8_t>(buffer), 1980, address), 0);
        EXPECT_TRUE(reader.ReadFailed());
    }
    // The same file undamaged opens; so does one cut after a whole line, with or without
    // its line end, and one whose record count is right.
    for (const std::string& text :
         {head + good + last, head + good, head + good.substr(0, good.size() - 1),
          head + good + Line('5', "0003") + "\n\n"}) {
        ImageReader reader;
        EXPECT_TRUE(reader.Open(Write("good.srec", text))) << reader.problem;
        EXPECT_EQ(reader.problem, "");
    }
    // A last line cut inside is damaged too.
    const std::string cut = head + good + last.substr(0, 20);
    ImageReader reader;
    EXPECT_FALSE(reader.Open(Write("cut.srec", cut)));
    EXPECT_NE(reader.problem.find("line 5 "), std::string::npos) << reader.problem;
}
