#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Line settings as the host applied them to a device.
struct LineParams {
    std::uint32_t baud = 0;
    int dataBits = 8;
    char parity = 'N';  // 'N', 'O', 'E', 'M', 'S'
    int stopBits = 1;   // 1 or 2; 15 stands for one and a half
};

// The far end of an in-memory serial line: what a simulated receiver implements so
// that the memory serial device can connect it to the host in virtual time.
class SerialPeer {
  public:
    virtual ~SerialPeer() = default;

    // The host applied new line settings.
    virtual void OnLineParams(const LineParams& params) = 0;
    // Bytes left the host's transmit queue and are on the line at nowMs.
    virtual void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t nowMs) = 0;
    // The peer appends to toHost everything it has sent up to nowMs.
    virtual void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) = 0;
    // The host raised or lowered its modem lines.
    virtual void OnModemLines(bool /*dtr*/, bool /*rts*/) {}
    // False once the device has gone away (unplugged): the host's calls then fail.
    virtual bool Present() const { return true; }
};

}  // namespace platform
