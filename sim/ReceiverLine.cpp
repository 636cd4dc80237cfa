#include "sim/ReceiverLine.h"

#include <algorithm>
#include <limits>

namespace sim {

namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t kTenBitsUs = 10'000'000;  // ten bits, in microseconds times bit/s

}  // namespace

void ReceiverLine::FromHost(const std::uint8_t* data, std::size_t size, std::uint64_t nowUs) {
    if (size == 0)
        return;
    const std::uint32_t sendBaud = hostBaud_ != 0 ? hostBaud_ : receiverBaud_;
    const std::uint8_t* bytes = data;
    std::size_t count = size;
    if (!SpeedsMatch()) {
        scratch_.clear();
        inGarbler_.Garble(data, size, sendBaud, receiverBaud_, scratch_);
        bytes = scratch_.data();
        count = scratch_.size();
    }
    const std::uint64_t start = pace_ ? std::max(nowUs, inFreeUs_) : nowUs;
    const std::uint64_t span = pace_ ? static_cast<std::uint64_t>(size) * kTenBitsUs / sendBaud : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t at = pace_ ? start + span * (i + 1) / count : nowUs;
        in_.push_back(Incoming{at, bytes[i]});
    }
    inFreeUs_ = start + span;
}

std::uint64_t ReceiverLine::NextInputUs() const {
    return in_.empty() ? kNever : in_.front().atUs;
}

bool ReceiverLine::PopInput(std::uint64_t nowUs, std::uint8_t& byte, std::uint64_t& atUs) {
    if (in_.empty() || in_.front().atUs > nowUs)
        return false;
    byte = in_.front().byte;
    atUs = in_.front().atUs;
    in_.pop_front();
    return true;
}

void ReceiverLine::ToHost(const std::uint8_t* data, std::size_t size, std::uint64_t atUs) {
    std::uint64_t at = std::max(atUs, outFreeUs_);
    for (std::size_t i = 0; i < size; ++i) {
        if (pace_)
            at = std::max(atUs, outFreeUs_) + kTenBitsUs / receiverBaud_;
        out_.push_back(Outgoing{at, receiverBaud_, data[i]});
        outFreeUs_ = at;
    }
}

std::uint64_t ReceiverLine::NextOutputUs() const {
    return out_.empty() ? kNever : out_.front().atUs;
}

void ReceiverLine::Deliver(std::uint64_t nowUs, std::vector<std::uint8_t>& toHost) {
    while (!out_.empty() && out_.front().atUs <= nowUs) {
        const std::uint32_t baud = out_.front().baud;
        if (hostBaud_ == 0 || hostBaud_ == baud) {
            toHost.push_back(out_.front().byte);
            out_.pop_front();
            continue;
        }
        // A run sent at one speed, read at another.
        scratch_.clear();
        while (!out_.empty() && out_.front().atUs <= nowUs && out_.front().baud == baud) {
            scratch_.push_back(out_.front().byte);
            out_.pop_front();
        }
        outGarbler_.Garble(scratch_.data(), scratch_.size(), baud, hostBaud_, toHost);
    }
}

void ReceiverLine::Clear() {
    in_.clear();
    out_.clear();
}

}  // namespace sim
