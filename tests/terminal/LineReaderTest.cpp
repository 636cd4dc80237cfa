// How input is cut into lines.
#include <gtest/gtest.h>

#include <unistd.h>

#include "ui/terminal/LineReader.h"

TEST(LineReader, CutsLinesDropsCarriageReturnsAndBoundsLongLines) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ui::LineReader reader(fds[0]);
    std::string overlong(ui::LineReader::kMaxLineLength + 500, 'x');
    std::string text = "Upload\r\nyes\n" + overlong + "\nlast";
    ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fds[1]);
    std::vector<std::string> lines;
    while (!reader.Ended()) {
        for (std::string& line : reader.ReadAvailable())
            lines.push_back(std::move(line));
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{"Upload", "yes",
                                        std::string(ui::LineReader::kMaxLineLength, 'x'), "last"}));
    ::close(fds[0]);
}
