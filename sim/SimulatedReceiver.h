#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPeer.h"
#include "sim/FaultPlan.h"
#include "sim/FlashMemory.h"
#include "sim/ReceiverCounters.h"
#include "sim/ReceiverLine.h"
#include "sim/ReceiverLoader.h"
#include "sim/ReceiverOptions.h"
#include "sim/ScheduledOutput.h"

namespace sim {

// A GPS receiver as seen from its serial line: answers command sentences at its own
// speed, switches to its flash loader on a load command, takes the load into a
// simulated flash, and misbehaves on request. It keeps no time of its own: every call
// carries the caller's clock (virtual in tests, real in the simulator tool), and it is
// powered on at the first time it is given.
class SimulatedReceiver : public platform::SerialPeer, private ReceiverLoader::Events {
  public:
    enum class Mode {
        Sentence,    // running: command sentences at the sentence speed
        Switching,   // a load command arrived; the loader is starting
        Loader,      // in the flash loader at the loader speed
        Restarting,  // a load completed; the receiver restarts
        Gone,        // disconnected
    };
    // The loads a command sentence can ask for.
    enum class LoadKind { Code, Poi, BaseMap, DetailMap };

    explicit SimulatedReceiver(ReceiverOptions options = ReceiverOptions());
    SimulatedReceiver(const SimulatedReceiver&) = delete;
    SimulatedReceiver& operator=(const SimulatedReceiver&) = delete;

    // platform::SerialPeer
    void OnLineParams(const platform::LineParams& params) override;
    void OnHostBytes(const std::uint8_t* data, std::size_t size, std::uint64_t nowMs) override;
    void Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) override;
    bool Present() const override { return present_; }

    // Powers the receiver on at this time (done by the first call otherwise).
    void PowerOn(std::uint64_t nowMs);
    // The next time, in ms, at which the receiver does something by itself or has bytes
    // for the host; UINT64_MAX when it only waits for the host.
    std::uint64_t NextDueMs() const;

    Mode GetMode() const { return mode_; }
    ReceiverLoader::Phase LoaderPhase() const { return loader_.GetPhase(); }
    // The mode of the running (or last) load: record-numbered or address.
    bool RecordMode() const { return loader_.RecordMode(); }
    bool RecordModeFor(LoadKind kind) const;
    std::uint32_t LineSpeed() const { return line_.ReceiverBaud(); }
    std::uint32_t HostSpeed() const { return line_.HostBaud(); }
    const ReceiverCounters& Counters() const { return counters_; }
    const ReceiverOptions& Options() const { return options_; }

    FlashMemory& Flash() { return flash_; }
    const FlashMemory& Flash() const { return flash_; }
    std::vector<std::uint8_t> ReadFlash(std::uint32_t address, std::size_t size) const {
        return flash_.Read(address, size);
    }
    std::map<std::uint32_t, std::vector<std::uint8_t>> ProgrammedRanges() const {
        return flash_.ProgrammedRanges();
    }

    // The version reply's body (between "$" and "*"): product code at positions 9 to 11
    // of the sentence, the firmware from 13, the model text from 22.
    std::string VersionBody() const;

  private:
    // ReceiverLoader::Events
    void Transmit(const std::vector<std::uint8_t>& bytes, std::uint64_t atUs) override;
    void LoadCompleted(std::uint64_t atUs) override;
    void StrikeSilence(const FaultRule& rule, std::uint64_t atUs) override;
    void StrikeDisconnect(std::uint64_t atUs) override;
    bool Logging() const override { return static_cast<bool>(options_.log); }
    void Log(const std::string& line) override;

    void Advance(std::uint64_t nowUs);
    std::uint64_t NextTimerUs() const;
    void FireTimers(std::uint64_t atUs);
    void OnByte(std::uint8_t byte, std::uint64_t atUs);
    void OnSentenceByte(std::uint8_t byte, std::uint64_t atUs);
    void OnSentence(std::uint64_t atUs);
    void Reply(std::string_view body, std::uint64_t atUs);
    void BeginLoad(LoadKind kind, std::uint64_t atUs);
    void EnterSentenceMode(std::uint64_t atUs);
    void EnterLoader(bool recordMode, std::uint64_t atUs);
    void SendChatter(std::uint64_t atUs);
    std::uint64_t Ms(std::uint32_t ms) const { return static_cast<std::uint64_t>(ms) * 1000; }

    ReceiverOptions options_;
    FlashMemory flash_;
    FaultPlan faults_;
    ReceiverCounters counters_;
    ReceiverLine line_;
    ReceiverLoader loader_;
    ScheduledOutput replies_;

    Mode mode_ = Mode::Sentence;
    bool started_ = false;
    bool present_ = true;
    std::uint64_t clockUs_ = 0;
    std::uint64_t powerOnUs_ = 0;
    std::uint64_t silentUntilUs_ = 0;

    // The mode change under way (load command or restart) and when it completes.
    Mode nextMode_ = Mode::Sentence;
    bool nextRecordMode_ = false;
    std::uint64_t modeUs_ = ScheduledOutput::kNever;
    std::uint64_t chatterUs_ = ScheduledOutput::kNever;
    unsigned chatterIndex_ = 0;

    std::string sentence_;  // the command line being read, from its "$"
    bool inSentence_ = false;
};

}  // namespace sim
