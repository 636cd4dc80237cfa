#pragma once

#include <string_view>

// Reading decimal numbers out of receiver replies. Numbers too large for an int stop
// growing at INT_MAX instead of overflowing: the line is outside input.
class DecimalText {
  public:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    // Reads the digits starting at `at` (there may be none: 0) and moves `at` past them.
    static int ReadDigits(std::string_view text, std::size_t& at);
    // Leading blanks, an optional sign, then at least one digit, as a formatted read of
    // an integer takes them. False, with `at` unchanged, when no number is there.
    static bool ReadSigned(std::string_view text, std::size_t& at, int& value);
    // Like ReadDigits for an unsigned number that may exceed int (up to UINT_MAX).
    static unsigned long ReadUnsigned(std::string_view text, std::size_t& at);
};
