#pragma once

#include <cstdint>

// The bytes, timings and counts of the flash loader protocol.
namespace loader_protocol {

// Bytes the PC sends.
inline constexpr std::uint8_t kAnswerHello = 0x55;
inline constexpr std::uint8_t kHandshakeDone = 0x6A;
inline constexpr std::uint8_t kEraseDone = 0x69;

// Bytes the receiver sends.
inline constexpr int kOk = 0x55;
inline constexpr int kRecWait = 0x77;
inline constexpr int kHello = 0xAA;
inline constexpr int kBadCmd = 0x83;
inline constexpr int kFail = 0x84;
inline constexpr int kBadType = 0x86;
inline constexpr int kReset = 0x87;
inline constexpr int kRecNumber = 0x89;
inline constexpr int kDebug = 0x8E;
inline constexpr int kSectorErased = 0x8F;

// The rejected frame is to be sent again.
constexpr bool IsResendCode(int value) {
    return value == 0x81 || value == 0x82 || value == 0x85 || value == 0x88;
}

// Waits, in seconds since a frame was last sent or the wait restarted. Timeouts are
// counted in whole seconds, so a wait fires once more than its limit has passed.
inline constexpr double kEraseCmdTimeoutSeconds = 1.5;
inline constexpr double kEraseAdrTimeoutSeconds = 2.5;
inline constexpr double kWaitRecTimeoutSeconds = 4.0;
inline constexpr double kSendEndTimeoutSeconds = 2.5;
// The programmed acknowledge of a record. Receivers that erase as they go may erase a
// sector before they answer, which takes seconds; this is well beyond that.
inline constexpr double kProgTimeoutSeconds = 15.0;

// Steps in NO CONNECT without a hello after which the receive queue is dropped.
inline constexpr int kNoConnectDiscardSteps = 15;

// Refusals in a row of the same erase, or of the write of the same record, after which
// the receiver is taken to refuse it for good (an address outside its flash or outside
// the erased range): the load stops instead of starting over for ever.
inline constexpr int kRefusalsInARow = 3;

}  // namespace loader_protocol
