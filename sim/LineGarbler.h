#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// What a UART reading at one speed makes of bytes sent at another: a different number
// of bytes, none of them meaningful. The garbage is drawn from 0xC0..0xFF only, so it
// never holds "$", CR, LF, 0x55, 0xAA, 0x77, a bracket or a loader code, and tests that
// run at a wrong speed stay deterministic.
class LineGarbler {
  public:
    static bool IsGarbage(std::uint8_t byte) { return byte >= 0xC0; }

    // Appends to out what the reader at readBaud sees of bytes sent at sendBaud.
    void Garble(const std::uint8_t* data, std::size_t size, std::uint32_t sendBaud,
                std::uint32_t readBaud, std::vector<std::uint8_t>& out);
    // How many garbage bytes the next size bytes turn into (advances the same state).
    std::size_t Count(std::size_t size, std::uint32_t sendBaud, std::uint32_t readBaud);

  private:
    std::uint64_t remainder_ = 0;  // carried fraction of a byte, in units of sendBaud
    std::uint32_t mix_ = 0x5A;
};

}  // namespace sim
