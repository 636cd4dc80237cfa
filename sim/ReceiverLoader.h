#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/FaultPlan.h"
#include "sim/FlashMemory.h"
#include "sim/FrameAssembler.h"
#include "sim/ReceiverCounters.h"
#include "sim/ReceiverOptions.h"
#include "sim/ScheduledOutput.h"

namespace sim {

// The receiver's flash loader: says hello until answered, shakes hands, erases the
// range the host names (address mode), takes data records with two acknowledges each,
// and ends with the end record and, in record-numbered mode, the end report.
class ReceiverLoader {
  public:
    enum class Phase {
        Off,           // not in the loader
        Hello,         // saying hello, waiting for 0x55
        Handshake,     // acknowledged the hello answer, waiting for 0x6A
        EraseCommand,  // waiting for the erase command
        Erasing,       // erasing sectors
        Cold,          // erased, waiting for 0x69
        Records,       // taking data records
        Stopped,       // after fail, Bad type or bad cmd, until the next hello
        Done,          // the end record has arrived
    };

    // What the loader needs of the receiver around it.
    class Events {
      public:
        virtual ~Events() = default;
        virtual void Transmit(const std::vector<std::uint8_t>& bytes, std::uint64_t atUs) = 0;
        virtual void LoadCompleted(std::uint64_t atUs) = 0;
        virtual void StrikeSilence(const FaultRule& rule, std::uint64_t atUs) = 0;
        virtual void StrikeDisconnect(std::uint64_t atUs) = 0;
        virtual bool Logging() const = 0;
        virtual void Log(const std::string& line) = 0;
    };

    static constexpr std::uint32_t kRecordSpan = 1980;  // record-numbered: bytes per record number

    ReceiverLoader(const ReceiverOptions& options, FlashMemory& flash, FaultPlan& faults,
                   ReceiverCounters& counters, Events& events);

    // Enters the loader: a new session that starts with hello.
    void Start(bool recordMode, std::uint64_t atUs);
    // Leaves the loader; nothing it had planned goes out.
    void Stop();

    void OnByte(std::uint8_t byte, std::uint64_t atUs);
    // When the loader next does something by itself.
    std::uint64_t NextDueUs() const;
    // Does everything due by nowUs.
    void OnTime(std::uint64_t nowUs);

    Phase GetPhase() const { return phase_; }
    bool RecordMode() const { return recordMode_; }
    // Data records taken in this session.
    std::uint64_t SessionRecords() const { return sessionRecords_; }

  private:
    enum Tag { kNone = 0, kEraseDone, kLoadComplete, kBackToHello };

    void Emit(std::uint64_t atUs, std::vector<std::uint8_t> bytes, int tag = kNone);
    std::uint8_t Ready() const { return options_.readyWithRecWait ? 0x77 : 0x55; }
    std::uint64_t Ms(std::uint32_t ms) const { return static_cast<std::uint64_t>(ms) * 1000; }
    void SayHello(std::uint64_t atUs);
    void EnterHello(std::uint64_t atUs);
    void StopAfter(std::uint8_t code, std::uint64_t atUs);
    void OnHandshake(std::uint64_t atUs);
    void OnFrameByte(std::uint8_t byte, std::uint64_t atUs);
    void OnBadFrame(std::uint8_t code, std::uint64_t atUs);
    void OnFrameTimeout(std::uint64_t atUs);
    void OnFrame(std::uint64_t atUs);
    void OnEraseCommand(std::uint64_t atUs);
    void OnDataRecord(std::uint64_t atUs);
    void OnEndRecord(std::uint64_t atUs);
    std::vector<std::uint8_t> DebugWords(std::uint32_t value, int words) const;
    void Note(const FaultRule* rule);
    // A disconnect or silence ends what the receiver was doing; answers whether one struck.
    bool StrikeLineFault(const FaultPlan::Hits& hits, std::uint64_t atUs);
    void Log(const std::string& line) {
        if (events_.Logging())
            events_.Log(line);
    }

    const ReceiverOptions& options_;
    FlashMemory& flash_;
    FaultPlan& faults_;
    ReceiverCounters& counters_;
    Events& events_;

    Phase phase_ = Phase::Off;
    bool recordMode_ = false;
    bool announcing_ = false;
    bool resync_ = false;
    std::uint8_t resyncCode_ = 0;
    std::uint64_t sessionRecords_ = 0;
    std::uint64_t hellosThisSession_ = 0;
    std::map<std::uint32_t, std::uint32_t> numbered_;  // record number -> data bytes

    FrameAssembler frame_;
    ScheduledOutput outbox_;
    std::uint64_t helloUs_ = ScheduledOutput::kNever;
    std::uint64_t frameUs_ = ScheduledOutput::kNever;
    std::uint64_t repromptUs_ = ScheduledOutput::kNever;
};

}  // namespace sim
