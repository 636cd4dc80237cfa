#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/LineGarbler.h"

namespace sim {

// The wire between host and receiver as the receiver sees it: bytes in both directions
// with the time they are complete on the line (ten bits each at the sender's rate when
// pacing), turned into garbage when the two ends run at different speeds.
class ReceiverLine {
  public:
    explicit ReceiverLine(bool pace = false) : pace_(pace) {}

    void SetHostBaud(std::uint32_t baud) { hostBaud_ = baud; }
    std::uint32_t HostBaud() const { return hostBaud_; }
    void SetReceiverBaud(std::uint32_t baud) { receiverBaud_ = baud; }
    std::uint32_t ReceiverBaud() const { return receiverBaud_; }
    // A host that has not set a speed yet counts as matching.
    bool SpeedsMatch() const { return hostBaud_ == 0 || hostBaud_ == receiverBaud_; }

    // The host put these bytes on the line at nowUs; queues what the receiver reads of them.
    void FromHost(const std::uint8_t* data, std::size_t size, std::uint64_t nowUs);
    std::uint64_t NextInputUs() const;
    bool PopInput(std::uint64_t nowUs, std::uint8_t& byte, std::uint64_t& atUs);

    // The receiver starts sending these bytes at atUs (or when the line is free).
    void ToHost(const std::uint8_t* data, std::size_t size, std::uint64_t atUs);
    std::uint64_t NextOutputUs() const;
    // Appends what the host has read by nowUs, garbled when it reads at another speed.
    void Deliver(std::uint64_t nowUs, std::vector<std::uint8_t>& toHost);

    void Clear();

  private:
    struct Incoming {
        std::uint64_t atUs;
        std::uint8_t byte;
    };
    struct Outgoing {
        std::uint64_t atUs;
        std::uint32_t baud;
        std::uint8_t byte;
    };

    bool pace_;
    std::uint32_t hostBaud_ = 0;
    std::uint32_t receiverBaud_ = 4800;
    std::deque<Incoming> in_;
    std::deque<Outgoing> out_;
    std::uint64_t inFreeUs_ = 0;   // when the host's last byte is complete
    std::uint64_t outFreeUs_ = 0;  // when the receiver's last byte is complete
    LineGarbler inGarbler_;
    LineGarbler outGarbler_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace sim
