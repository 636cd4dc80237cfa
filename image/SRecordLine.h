#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace srecord_detail {
constexpr std::array<signed char, 256> MakeHexDigits() {
    std::array<signed char, 256> table{};
    for (auto& value : table)
        value = -1;
    for (int i = 0; i < 10; ++i)
        table['0' + i] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<signed char>(10 + i);
        table['a' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}
// Value of each character as a hexadecimal digit, -1 for the others.
inline constexpr std::array<signed char, 256> kHexDigits = MakeHexDigits();
}  // namespace srecord_detail

// One data line of a Motorola S-record image (S1, S2 or S3), decoded.
//
// Parsing is strict where a loose parse would put bytes at the wrong place: the count
// and the whole address field must be hexadecimal digits, or the line carries no data.
// The data are the pairs of hexadecimal digits after the address, at most count less
// the address and checksum bytes; a line that ends early, or a pair that is not two
// hexadecimal digits, ends the data there. Bytes that are not in the line are never
// made up. Checksums are not checked.
struct SRecordLine {
    // Most data bytes one line can carry: count 0xFF less a 2-byte address and the checksum.
    static constexpr std::size_t kMaxData = 252;

    int type = 0;  // 1, 2 or 3
    std::uint32_t address = 0;
    std::size_t length = 0;  // data bytes
    std::array<std::uint8_t, kMaxData> data{};

    // Decodes a line; false for a line that carries no data (not S1, S2 or S3, or a
    // count or address field that is not all hexadecimal digits).
    bool Parse(std::string_view line);

    // The count and address fields of an S3 line that begins at text[0] ("S3...").
    static bool ParseS3Header(std::string_view text, unsigned& count, std::uint32_t& address);
    // Value of the hexadecimal digit c, or -1. Inline: image checks call it for every
    // character of a file.
    static int HexValue(char c) {
        return srecord_detail::kHexDigits[static_cast<unsigned char>(c)];
    }
    // Value of the two hexadecimal digits at text[0] and text[1], or -1.
    static int HexPair(const char* text);
};
