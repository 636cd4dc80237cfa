#pragma once

#include <cstdint>
#include <optional>

// In which order the receiver sends the two 16-bit halves of a 32-bit report.
enum class WordOrder {
    Undecided,
    HighFirst,
    LowFirst,
};

// Decides the order from the first report of two words, where that is possible.
// family is the upload family; phase is the running family-2 driver's phase, if any.
// Families 2 and 3 send small values whose zero half shows the order; for the others
// the high word always comes first.
WordOrder DecideWordOrder(int family, std::optional<int> phase, std::uint16_t first,
                          std::uint16_t second);

// The 32-bit value of two words in a decided order (0 while undecided).
std::uint32_t CombineWords(WordOrder order, std::uint16_t first, std::uint16_t second);
