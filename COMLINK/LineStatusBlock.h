#pragma once

#include <array>
#include <cstdint>

// Sixteen 2-bit fields in 4 bytes, lowest bits first within each byte; field i holds the
// line-control query answer for the signal kOrder[i].
struct LineStatusBlock {
    static constexpr std::array<int, 16> kOrder = {
        3,  4,  7,  13,   // DTR RTS BREAK DSR
        12, 14, 15, 20,   // CTS RI DCD -
        19, 17, 18, 28,   // - - - break received
        26, 27, 31, 25};  // parity framing overflow overrun

    std::array<std::uint8_t, 4> bytes{};

    int Field(int index) const { return (bytes[index / 4] >> (2 * (index % 4))) & 0x03; }
    void SetField(int index, int value) {
        int shift = 2 * (index % 4);
        auto& byte = bytes[index / 4];
        byte = static_cast<std::uint8_t>((byte & ~(0x03 << shift)) | ((value & 0x03) << shift));
    }
};
