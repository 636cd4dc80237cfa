#include "loader/WordOrder.h"

namespace {

// One half zero and the other within 1..limit; answers the order that puts the nonzero
// half where the phase expects it, or Undecided.
WordOrder FromSmallValue(std::uint16_t first, std::uint16_t second, std::uint16_t limit,
                         WordOrder secondNonzero, WordOrder firstNonzero) {
    if (first == 0 && second >= 1 && second <= limit)
        return secondNonzero;
    if (second == 0 && first >= 1 && first <= limit)
        return firstNonzero;
    return WordOrder::Undecided;
}

}  // namespace

WordOrder DecideWordOrder(int family, std::optional<int> phase, std::uint16_t first,
                          std::uint16_t second) {
    if (family != 2 && family != 3)
        return WordOrder::HighFirst;
    if (!phase)
        return WordOrder::Undecided;
    if (*phase == 0)
        return FromSmallValue(first, second, 0xFFF, WordOrder::HighFirst, WordOrder::LowFirst);
    if (*phase == 1)
        return FromSmallValue(first, second, 0xF, WordOrder::LowFirst, WordOrder::HighFirst);
    return WordOrder::Undecided;
}

std::uint32_t CombineWords(WordOrder order, std::uint16_t first, std::uint16_t second) {
    switch (order) {
        case WordOrder::HighFirst:
            return (static_cast<std::uint32_t>(first) << 16) | second;
        case WordOrder::LowFirst:
            return (static_cast<std::uint32_t>(second) << 16) | first;
        case WordOrder::Undecided:
            break;
    }
    return 0;
}
