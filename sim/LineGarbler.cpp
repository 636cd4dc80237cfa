#include "sim/LineGarbler.h"

namespace sim {

std::size_t LineGarbler::Count(std::size_t size, std::uint32_t sendBaud, std::uint32_t readBaud) {
    if (sendBaud == 0 || readBaud == 0)
        return size;
    // A byte on the wire lasts 10/sendBaud seconds; the reader frames one byte every
    // 10/readBaud seconds of it.
    const std::uint64_t total = remainder_ + static_cast<std::uint64_t>(size) * readBaud;
    remainder_ = total % sendBaud;
    return static_cast<std::size_t>(total / sendBaud);
}

void LineGarbler::Garble(const std::uint8_t* data, std::size_t size, std::uint32_t sendBaud,
                         std::uint32_t readBaud, std::vector<std::uint8_t>& out) {
    if (size == 0)
        return;
    const std::size_t count = Count(size, sendBaud, readBaud);
    for (std::size_t i = 0; i < count; ++i) {
        mix_ = mix_ * 1103515245u + 12345u + data[i * size / count];
        out.push_back(static_cast<std::uint8_t>(0xC0 | ((mix_ >> 16) & 0x3F)));
    }
}

}  // namespace sim
