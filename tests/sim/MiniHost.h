#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/sim/WireHost.h"

// The smallest host that loads an image the way the wire protocol describes it, over
// any wire with Send, Next and Take (the receiver directly, or a serial device).
constexpr std::size_t kRecord = 1980;

// It answers hello, shakes hands, erases (address mode), sends records and follows the
// receiver's acknowledges, resend codes, debug reports, rec number and reset.
template <class Wire>
class MiniHost {
  public:
    MiniHost(Wire& wire, bool recordMode) : wire_(wire), recordMode_(recordMode) {}

    bool Load(const std::vector<std::uint8_t>& image, std::uint32_t loadAddress,
              std::uint32_t eraseEnd) {
        if (!Handshake())
            return false;
        if (!recordMode_ && !Erase(loadAddress, eraseEnd))
            return false;
        const std::size_t records = (image.size() + kRecord - 1) / kRecord;
        std::size_t index = 0;
        while (index < records) {
            const std::size_t offset = index * kRecord;
            const std::vector<std::uint8_t> data(
                image.begin() + static_cast<std::ptrdiff_t>(offset),
                image.begin() +
                    static_cast<std::ptrdiff_t>(std::min(image.size(), offset + kRecord)));
            const auto field =
                static_cast<std::uint32_t>(recordMode_ ? index : loadAddress + offset);
            switch (SendRecord(WireHost::Record(field, data))) {
                case Outcome::Next:
                    ++index;
                    break;
                case Outcome::Back:
                    --index;
                    break;
                case Outcome::Restart:
                    index = 0;
                    break;
                case Outcome::Failed:
                    return false;
            }
        }
        wire_.Send(WireHost::EndRecord());
        if (wire_.Next() != 0x55)
            return false;
        if (!recordMode_)
            return true;
        // End report: checksum, OK, size high and low, OK.
        const std::vector<std::uint8_t> report = wire_.Take(11);
        if (report.size() != 11 || report[0] != 0x8E || report[3] != 0x55 || report[4] != 0x8E ||
            report[7] != 0x8E || report[10] != 0x55) {
            return false;
        }
        endChecksum = static_cast<std::uint16_t>(report[1] << 8 | report[2]);
        endSize = static_cast<std::uint32_t>(report[5]) << 24 |
                  static_cast<std::uint32_t>(report[6]) << 16 |
                  static_cast<std::uint32_t>(report[8]) << 8 | report[9];
        return true;
    }

    std::uint16_t endChecksum = 0xFFFF;
    std::uint32_t endSize = 0;
    int resends = 0;
    int debugWords = 0;

  private:
    enum class Outcome { Next, Back, Restart, Failed };

    static bool IsResend(int b) { return b == 0x81 || b == 0x82 || b == 0x85 || b == 0x88; }

    bool Handshake() {
        int b = 0;
        while ((b = wire_.Next()) != 0xAA) {
            if (b < 0)
                return false;
        }
        wire_.Send(0x55);
        while ((b = wire_.Next()) == 0xAA)
            wire_.Send(0x55);
        if (b != 0x55)
            return false;
        wire_.Send(0x6A);
        return true;
    }

    bool Erase(std::uint32_t start, std::uint32_t end) {
        if (wire_.Next() != 0x55)
            return false;
        const std::vector<std::uint8_t> command = WireHost::Erase(start, end);
        wire_.Send(command);
        for (;;) {
            const int b = wire_.Next();
            if (b == 0x55)
                break;
            if (!IsResend(b))
                return false;
            wire_.Send(command);
        }
        for (;;) {
            const int b = wire_.Next(60000);
            if (b == 0x55 || b == 0x77)
                break;
            if (b != 0x8F)
                return false;
        }
        wire_.Send(0x69);
        const int b = wire_.Next();
        return b == 0x55 || b == 0x77;
    }

    Outcome SendRecord(const std::vector<std::uint8_t>& frame) {
        wire_.Send(frame);
        bool arrived = false;
        for (;;) {
            const int b = wire_.Next(4000);
            if (b < 0) {  // no answer: send it again
                ++resends;
                wire_.Send(frame);
                arrived = false;
            } else if (IsResend(b)) {
                ++resends;
                wire_.Send(frame);
                arrived = false;
            } else if (b == 0x8E) {
                wire_.Take(2);
                ++debugWords;
            } else if (!arrived && b == 0x55) {
                arrived = true;
            } else if (!arrived && b == 0x87) {
                return wire_.Next() == 0x77 ? Outcome::Restart : Outcome::Failed;
            } else if (arrived && (b == 0x55 || b == 0x77)) {
                return Outcome::Next;
            } else if (arrived && b == 0x89) {
                wire_.Take(4);
                return Outcome::Back;
            } else if (b == 0x84) {
                return Outcome::Failed;
            }
        }
    }

    Wire& wire_;
    bool recordMode_;
};
