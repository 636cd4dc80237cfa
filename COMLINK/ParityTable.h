#pragma once

#include <array>
#include <cstdint>

// A parity by its letter, with the settings block's value for it. Searched in this order.
struct ParityEntry {
    char letter;
    std::uint8_t value;
};

inline constexpr std::array<ParityEntry, 5> kParityTable = {{
    {'N', 0},  // none
    {'O', 1},  // odd
    {'E', 2},  // even
    {'M', 3},  // mark
    {'S', 4},  // space
}};

// The entry of a letter, or nullptr.
inline const ParityEntry* FindParityLetter(char letter) {
    for (const ParityEntry& entry : kParityTable) {
        if (entry.letter == letter)
            return &entry;
    }
    return nullptr;
}

// The entry of a settings-block value, or nullptr.
inline const ParityEntry* FindParityValue(unsigned value) {
    for (const ParityEntry& entry : kParityTable) {
        if (entry.value == value)
            return &entry;
    }
    return nullptr;
}
