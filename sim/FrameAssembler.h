#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// The receiver's reading of one frame from the host: 0x5B, word count, the words,
// their exclusive-or, 0x5D. Checks the brackets, the word count and the checksum and
// names the resend code that answers a bad frame.
class FrameAssembler {
  public:
    enum class Result { Pending, Frame, Error };

    // Resend codes by reason.
    static constexpr std::uint8_t kBadChecksum = 0x81;
    static constexpr std::uint8_t kBadBracket = 0x82;
    static constexpr std::uint8_t kBadWordCount = 0x85;
    static constexpr std::uint8_t kIncomplete = 0x88;

    explicit FrameAssembler(std::size_t maxDataBytes = 2048);

    // Inside a frame (its 0x5B seen, its 0x5D not yet).
    bool Active() const { return stage_ != Stage::Idle; }
    // Feeds one byte. Outside a frame only 0x5B counts (it starts one); everything else
    // answers Pending and is left to the caller.
    Result Feed(std::uint8_t byte);
    void Reset() { stage_ = Stage::Idle; }

    std::uint8_t ErrorCode() const { return error_; }
    std::uint16_t WordCount() const { return words_; }
    // The 32-bit field at the start of the body (address or record number).
    std::uint32_t Field() const;
    // The body after the 32-bit field.
    const std::uint8_t* Data() const { return body_.data() + 4; }
    std::size_t DataSize() const { return body_.size() >= 4 ? body_.size() - 4 : 0; }
    // The whole body (2 x word count bytes).
    const std::vector<std::uint8_t>& Body() const { return body_; }

  private:
    enum class Stage { Idle, CountHigh, CountLow, Body, SumHigh, SumLow, Close };
    Result Fail(std::uint8_t code);

    std::size_t maxWords_;
    Stage stage_ = Stage::Idle;
    std::uint16_t words_ = 0;
    std::uint16_t sum_ = 0;
    std::uint16_t received_ = 0;
    std::uint8_t error_ = 0;
    std::vector<std::uint8_t> body_;
};

}  // namespace sim
