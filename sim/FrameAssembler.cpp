#include "sim/FrameAssembler.h"

namespace sim {

FrameAssembler::FrameAssembler(std::size_t maxDataBytes) : maxWords_(maxDataBytes / 2 + 2) {
    body_.reserve(maxWords_ * 2);
}

std::uint32_t FrameAssembler::Field() const {
    if (body_.size() < 4)
        return 0;
    return static_cast<std::uint32_t>(body_[0]) << 24 | static_cast<std::uint32_t>(body_[1]) << 16 |
           static_cast<std::uint32_t>(body_[2]) << 8 | body_[3];
}

FrameAssembler::Result FrameAssembler::Fail(std::uint8_t code) {
    error_ = code;
    stage_ = Stage::Idle;
    return Result::Error;
}

FrameAssembler::Result FrameAssembler::Feed(std::uint8_t byte) {
    switch (stage_) {
        case Stage::Idle:
            if (byte == 0x5B) {
                stage_ = Stage::CountHigh;
                body_.clear();
            }
            return Result::Pending;
        case Stage::CountHigh:
            words_ = static_cast<std::uint16_t>(byte << 8);
            stage_ = Stage::CountLow;
            return Result::Pending;
        case Stage::CountLow:
            words_ = static_cast<std::uint16_t>(words_ | byte);
            // A body holds the 32-bit field and at least one data word; 0 is the end record.
            if (words_ != 0 && (words_ < 3 || words_ > maxWords_))
                return Fail(kBadWordCount);
            stage_ = words_ == 0 ? Stage::SumHigh : Stage::Body;
            return Result::Pending;
        case Stage::Body:
            body_.push_back(byte);
            if (body_.size() == static_cast<std::size_t>(words_) * 2)
                stage_ = Stage::SumHigh;
            return Result::Pending;
        case Stage::SumHigh:
            received_ = static_cast<std::uint16_t>(byte << 8);
            stage_ = Stage::SumLow;
            return Result::Pending;
        case Stage::SumLow:
            received_ = static_cast<std::uint16_t>(received_ | byte);
            stage_ = Stage::Close;
            return Result::Pending;
        case Stage::Close: {
            stage_ = Stage::Idle;
            if (byte != 0x5D)
                return Fail(kBadBracket);
            sum_ = 0;
            for (std::size_t i = 0; i + 1 < body_.size(); i += 2) {
                sum_ ^= static_cast<std::uint16_t>(body_[i] << 8 | body_[i + 1]);
            }
            if (sum_ != received_)
                return Fail(kBadChecksum);
            return Result::Frame;
        }
    }
    return Result::Pending;
}

}  // namespace sim
