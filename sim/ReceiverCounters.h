#pragma once

#include <cstdint>

namespace sim {

// What a simulated receiver has seen and done, for tests to read back.
struct ReceiverCounters {
    std::uint64_t sentencesAnswered = 0;
    std::uint64_t sentencesRejected = 0;  // bad checksum or not ours
    std::uint64_t loadCommands = 0;
    std::uint64_t hellosSent = 0;
    std::uint64_t handshakes = 0;
    std::uint64_t erases = 0;
    std::uint64_t sectorsErased = 0;
    std::uint64_t recordsAccepted = 0;
    std::uint64_t recordsRejected = 0;  // bad frames
    std::uint64_t resendsSent = 0;      // every resend code, faults included
    std::uint64_t writeFailures = 0;
    std::uint64_t dataBytesProgrammed = 0;
    // Bytes programmed again since their last erase that could not take the new value:
    // the flash holds old AND new there, so a correct load leaves this at 0.
    std::uint64_t bytesCorrupted = 0;
    std::uint64_t loadsCompleted = 0;
    std::uint64_t faultsStruck = 0;
    std::uint16_t endChecksum = 0;  // last end report of a record-numbered load
    std::uint32_t endSize = 0;
};

}  // namespace sim
