#include "sim/ReceiverLoader.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

constexpr std::uint64_t kNever = ScheduledOutput::kNever;

std::string Hex(std::uint64_t value, int digits) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

void PushWord(std::vector<std::uint8_t>& out, std::uint16_t word) {
    out.push_back(0x8E);
    out.push_back(static_cast<std::uint8_t>(word >> 8));
    out.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

}  // namespace

ReceiverLoader::ReceiverLoader(const ReceiverOptions& options, FlashMemory& flash,
                               FaultPlan& faults, ReceiverCounters& counters, Events& events)
    : options_(options),
      flash_(flash),
      faults_(faults),
      counters_(counters),
      events_(events),
      frame_(options.maxRecordData) {}

void ReceiverLoader::Start(bool recordMode, std::uint64_t atUs) {
    recordMode_ = recordMode;
    hellosThisSession_ = 0;
    Log(std::string("loader: ") + (recordMode ? "record-numbered" : "address") + " mode at " +
        std::to_string(options_.loaderSpeed) + " bit/s");
    EnterHello(atUs);
    if (options_.announceWithRecWait) {
        // This loader announces itself ready for records and skips the handshake.
        phase_ = Phase::Records;
        announcing_ = true;
    }
}

void ReceiverLoader::Stop() {
    phase_ = Phase::Off;
    announcing_ = false;
    outbox_.Clear();
    frame_.Reset();
    resync_ = false;
    helloUs_ = frameUs_ = repromptUs_ = kNever;
}

void ReceiverLoader::EnterHello(std::uint64_t atUs) {
    phase_ = Phase::Hello;
    announcing_ = false;
    frame_.Reset();
    resync_ = false;
    sessionRecords_ = 0;
    numbered_.clear();
    flash_.ForgetErased();
    helloUs_ = atUs;
    frameUs_ = repromptUs_ = kNever;
}

void ReceiverLoader::Emit(std::uint64_t atUs, std::vector<std::uint8_t> bytes, int tag) {
    outbox_.Add(atUs, std::move(bytes), tag);
}

void ReceiverLoader::SayHello(std::uint64_t atUs) {
    const std::uint8_t hello = announcing_ ? 0x77 : 0xAA;
    if (hellosThisSession_++ == 0)
        Log(announcing_ ? "loader: rec wait" : "loader: hello");
    ++counters_.hellosSent;
    events_.Transmit({hello}, atUs);
}

void ReceiverLoader::StopAfter(std::uint8_t code, std::uint64_t atUs) {
    phase_ = Phase::Stopped;
    frame_.Reset();
    resync_ = false;
    frameUs_ = repromptUs_ = kNever;
    Emit(atUs, {code});
    Emit(atUs + Ms(options_.timing.faultRestartMs), {}, kBackToHello);
}

std::uint64_t ReceiverLoader::NextDueUs() const {
    return std::min({outbox_.NextUs(), helloUs_, frameUs_, repromptUs_});
}

void ReceiverLoader::OnTime(std::uint64_t nowUs) {
    ScheduledOutput::Entry entry;
    while (outbox_.PopDue(nowUs, entry)) {
        if (!entry.bytes.empty())
            events_.Transmit(entry.bytes, entry.atUs);
        switch (entry.tag) {
            case kEraseDone:
                phase_ = Phase::Cold;
                break;
            case kLoadComplete:
                events_.LoadCompleted(entry.atUs);
                break;
            case kBackToHello:
                Log("loader: hello again");
                hellosThisSession_ = 0;
                EnterHello(entry.atUs);
                break;
            default:
                break;
        }
        if (phase_ == Phase::Off)
            return;  // the receiver left the loader meanwhile
    }
    if (frameUs_ <= nowUs) {
        const std::uint64_t at = frameUs_;
        frameUs_ = kNever;
        OnFrameTimeout(at);
    }
    if (repromptUs_ <= nowUs) {
        const std::uint64_t at = repromptUs_;
        repromptUs_ = kNever;
        if (phase_ == Phase::Records && !frame_.Active() && !resync_ && outbox_.Empty()) {
            Log("loader: no record, rec wait again");
            events_.Transmit({0x77}, at);
            repromptUs_ = at + Ms(options_.timing.repromptMs);
        }
    }
    if (helloUs_ <= nowUs) {
        const std::uint64_t at = helloUs_;
        if (phase_ == Phase::Hello || announcing_) {
            SayHello(at);
            helloUs_ = at + Ms(std::max<std::uint32_t>(1, options_.timing.helloIntervalMs));
        } else {
            helloUs_ = kNever;
        }
    }
}

bool ReceiverLoader::StrikeLineFault(const FaultPlan::Hits& hits, std::uint64_t atUs) {
    if (const FaultRule* s = hits.Get(FaultKind::Disconnect)) {
        Note(s);
        events_.StrikeDisconnect(atUs);
        return true;
    }
    if (const FaultRule* s = hits.Get(FaultKind::Silence)) {
        Note(s);
        events_.StrikeSilence(*s, atUs);
        return true;
    }
    return false;
}

void ReceiverLoader::Note(const FaultRule* rule) {
    ++counters_.faultsStruck;
    Log("fault: " + rule->Describe());
}

void ReceiverLoader::OnByte(std::uint8_t byte, std::uint64_t atUs) {
    if (announcing_) {
        announcing_ = false;
        helloUs_ = kNever;
    }
    if (repromptUs_ != kNever)
        repromptUs_ = atUs + Ms(options_.timing.repromptMs);
    switch (phase_) {
        case Phase::Hello:
            if (byte == 0x55)
                OnHandshake(atUs);
            break;
        case Phase::Handshake:
            if (byte != 0x6A)
                break;  // a second answer to an earlier hello, or noise
            if (recordMode_) {
                Log("loader: start, records follow");
                phase_ = Phase::Records;
            } else {
                Log("loader: start, waiting for the erase command");
                phase_ = Phase::EraseCommand;
                Emit(atUs + Ms(options_.timing.ackDelayMs), {0x55});
            }
            break;
        case Phase::EraseCommand:
            if (!frame_.Active() && !resync_ && byte == 0x6A) {
                // The host missed our answer and asks again.
                Emit(atUs + Ms(options_.timing.ackDelayMs), {0x55});
                break;
            }
            OnFrameByte(byte, atUs);
            break;
        case Phase::Cold:
            if (byte == 0x69) {
                Log("loader: cold start acknowledged");
                phase_ = Phase::Records;
                const std::uint64_t at = atUs + Ms(options_.timing.ackDelayMs);
                Emit(at, {Ready()});
                if (options_.timing.repromptMs > 0) {
                    repromptUs_ = outbox_.LastUs() + Ms(options_.timing.repromptMs);
                }
            }
            break;
        case Phase::Records:
            OnFrameByte(byte, atUs);
            break;
        case Phase::Off:
        case Phase::Erasing:
        case Phase::Stopped:
        case Phase::Done:
            break;
    }
}

void ReceiverLoader::OnHandshake(std::uint64_t atUs) {
    const FaultPlan::Hits hits = faults_.Roll(FaultEvent::Handshake);
    if (StrikeLineFault(hits, atUs))
        return;
    helloUs_ = kNever;
    if (const FaultRule* s = hits.Get(FaultKind::BadType)) {
        Note(s);
        StopAfter(0x86, atUs + Ms(options_.timing.ackDelayMs));
        return;
    }
    ++counters_.handshakes;
    Log("loader: handshake");
    phase_ = Phase::Handshake;
    Emit(atUs + Ms(options_.timing.ackDelayMs), {0x55});
}

void ReceiverLoader::OnFrameByte(std::uint8_t byte, std::uint64_t atUs) {
    if (resync_) {
        // Skip the rest of a bad frame: answer once the line has been quiet.
        frameUs_ = atUs + Ms(options_.timing.frameTimeoutMs);
        return;
    }
    const FrameAssembler::Result result = frame_.Feed(byte);
    if (result == FrameAssembler::Result::Error) {
        OnBadFrame(frame_.ErrorCode(), atUs);
        return;
    }
    frameUs_ = frame_.Active() ? atUs + Ms(options_.timing.frameTimeoutMs) : kNever;
    if (result == FrameAssembler::Result::Frame)
        OnFrame(atUs);
}

void ReceiverLoader::OnBadFrame(std::uint8_t code, std::uint64_t atUs) {
    ++counters_.recordsRejected;
    Log("loader: bad frame, resend " + Hex(code, 2));
    resync_ = true;
    resyncCode_ = code;
    frameUs_ = atUs + Ms(options_.timing.frameTimeoutMs);
}

void ReceiverLoader::OnFrameTimeout(std::uint64_t atUs) {
    std::uint8_t code = 0;
    if (resync_) {
        resync_ = false;
        code = resyncCode_;
    } else if (frame_.Active()) {
        frame_.Reset();
        ++counters_.recordsRejected;
        Log("loader: incomplete frame");
        code = FrameAssembler::kIncomplete;
    } else {
        return;
    }
    if (phase_ != Phase::Records && phase_ != Phase::EraseCommand)
        return;
    ++counters_.resendsSent;
    Emit(atUs, {code});
}

void ReceiverLoader::OnFrame(std::uint64_t atUs) {
    if (phase_ == Phase::EraseCommand) {
        OnEraseCommand(atUs);
    } else if (frame_.WordCount() == 0) {
        OnEndRecord(atUs);
    } else {
        OnDataRecord(atUs);
    }
}

void ReceiverLoader::OnEraseCommand(std::uint64_t atUs) {
    const std::uint64_t ackAt = atUs + Ms(options_.timing.ackDelayMs);
    const std::vector<std::uint8_t>& body = frame_.Body();
    if (frame_.WordCount() != 4) {
        Log("loader: expected the erase command, got another frame");
        StopAfter(0x83, ackAt);
        return;
    }
    const std::uint32_t start = frame_.Field();
    const std::uint32_t end = static_cast<std::uint32_t>(body[4]) << 24 |
                              static_cast<std::uint32_t>(body[5]) << 16 |
                              static_cast<std::uint32_t>(body[6]) << 8 | body[7];
    const FaultPlan::Hits hits = faults_.Roll(FaultEvent::Erase);
    if (StrikeLineFault(hits, atUs))
        return;
    if (const FaultRule* s = hits.Get(FaultKind::Resend)) {
        Note(s);
        ++counters_.resendsSent;
        Emit(ackAt, {s->code});
        return;
    }
    if (const FaultRule* s = hits.Get(FaultKind::BadCmd)) {
        Note(s);
        StopAfter(0x83, ackAt);
        return;
    }
    if (start > end) {
        Log("loader: erase range " + Hex(start, 8) + ".." + Hex(end, 8) + " refused");
        StopAfter(0x83, ackAt);
        return;
    }
    if (const FaultRule* s = hits.Get(FaultKind::Fail)) {
        Note(s);
        ++counters_.writeFailures;
        StopAfter(0x84, ackAt);
        return;
    }
    const std::uint64_t sectors = flash_.SectorsIn(start, end);
    flash_.Erase(start, end);
    ++counters_.erases;
    counters_.sectorsErased += sectors;
    Log("loader: erase " + Hex(start, 8) + ".." + Hex(end, 8) + ", " + std::to_string(sectors) +
        " sectors");
    phase_ = Phase::Erasing;
    Emit(ackAt, {0x55});
    std::uint64_t at = ackAt;
    for (std::uint64_t i = 0; i < sectors; ++i) {
        at += Ms(options_.timing.eraseMsPerSector);
        Emit(at, {0x8F});
    }
    Emit(at, {Ready()}, kEraseDone);
}

std::vector<std::uint8_t> ReceiverLoader::DebugWords(std::uint32_t value, int words) const {
    const auto high = static_cast<std::uint16_t>(value >> 16);
    const auto low = static_cast<std::uint16_t>(value & 0xFFFF);
    const std::uint16_t first = options_.debugLowWordFirst ? low : high;
    const std::uint16_t second = options_.debugLowWordFirst ? high : low;
    std::vector<std::uint8_t> out;
    if (words == 1) {
        PushWord(out, low);
        return out;
    }
    for (int i = 0; i < words; ++i)
        PushWord(out, i % 2 == 0 ? first : second);
    return out;
}

void ReceiverLoader::OnDataRecord(std::uint64_t atUs) {
    const std::uint32_t field = frame_.Field();
    const std::size_t size = frame_.DataSize();
    const std::uint64_t address64 =
        recordMode_ ? options_.recordBase + static_cast<std::uint64_t>(field) * kRecordSpan : field;
    const auto address = static_cast<std::uint32_t>(address64);
    const std::uint64_t arrivedAt = atUs + Ms(options_.timing.ackDelayMs);
    const std::uint64_t programmedAt = arrivedAt + Ms(options_.timing.programMsPerRecord);

    const FaultPlan::Hits hits = faults_.Roll(FaultEvent::Record);
    if (StrikeLineFault(hits, atUs))
        return;
    if (const FaultRule* s = hits.Get(FaultKind::Garbage)) {
        Note(s);
        Emit(atUs, std::vector<std::uint8_t>(static_cast<std::size_t>(s->garbageBytes), 0xF0));
    }
    if (const FaultRule* s = hits.Get(FaultKind::Resend)) {
        Note(s);
        ++counters_.resendsSent;
        Emit(arrivedAt, {s->code});
        return;
    }
    if (const FaultRule* s = hits.Get(FaultKind::Reset)) {
        Note(s);
        Emit(arrivedAt, {0x87});
        Emit(arrivedAt + Ms(options_.timing.resetReadyMs), {0x77});
        return;
    }

    const bool inRange = address64 + size <= 0x100000000ULL;
    const bool writable = inRange && (recordMode_ || flash_.IsErased(address, size));
    const FaultRule* fail = hits.Get(FaultKind::Fail);
    if (!writable || fail != nullptr) {
        if (fail != nullptr) {
            Note(fail);
        } else {
            Log("loader: record at " + Hex(address, 8) + " outside the erased range");
        }
        ++counters_.writeFailures;
        Emit(arrivedAt, {0x55});
        StopAfter(0x84, programmedAt);
        return;
    }

    // A dropped record is answered like any other; only the end report can tell.
    const FaultRule* drop = hits.Get(FaultKind::Drop);
    if (drop != nullptr) {
        Note(drop);
        Emit(arrivedAt, {0x55});
        Emit(programmedAt, {Ready()});
        return;
    }
    const std::size_t corrupted = flash_.Program(address, frame_.Data(), size);
    counters_.bytesCorrupted += corrupted;
    if (corrupted > 0) {
        Log("loader: record at " + Hex(address, 8) + ": " + std::to_string(corrupted) +
            " bytes programmed before could not take the new value");
    }
    ++counters_.recordsAccepted;
    counters_.dataBytesProgrammed += size;
    if (recordMode_)
        numbered_[field] = static_cast<std::uint32_t>(size);
    const std::uint64_t index = sessionRecords_++;
    if (events_.Logging()) {
        Log("loader: record " + std::to_string(index) + (recordMode_ ? " number " : " at ") +
            (recordMode_ ? std::to_string(field) : Hex(address, 8)) + ", " + std::to_string(size) +
            " bytes");
    }

    const FaultRule* lost = hits.Get(FaultKind::LostAck);
    if (lost != nullptr)
        Note(lost);
    if (lost == nullptr || !lost->dropArrived)
        Emit(arrivedAt, {0x55});
    if (const FaultRule* s = hits.Get(FaultKind::Debug)) {
        Note(s);
        Emit((arrivedAt + programmedAt) / 2, DebugWords(recordMode_ ? field : address, s->words));
    }
    const FaultRule* recnum = hits.Get(FaultKind::RecNumber);
    if (recnum != nullptr && index >= 1 && (!recordMode_ || field >= 1)) {
        // Asks for the record before this one; the host steps back one record.
        Note(recnum);
        const auto wanted = static_cast<std::uint32_t>(recordMode_ ? field - 1 : index - 1);
        Emit(
            programmedAt,
            {0x89, static_cast<std::uint8_t>(wanted >> 24), static_cast<std::uint8_t>(wanted >> 16),
             static_cast<std::uint8_t>(wanted >> 8), static_cast<std::uint8_t>(wanted)});
    } else if (lost == nullptr || !lost->dropProgrammed) {
        Emit(programmedAt, {Ready()});
    }
    if (options_.timing.repromptMs > 0) {
        repromptUs_ = outbox_.LastUs() + Ms(options_.timing.repromptMs);
    }
}

void ReceiverLoader::OnEndRecord(std::uint64_t atUs) {
    const std::uint64_t at = atUs + Ms(options_.timing.ackDelayMs);
    phase_ = Phase::Done;
    repromptUs_ = kNever;
    if (!recordMode_) {
        Log("loader: end record, load complete");
        Emit(at, {0x55}, kLoadComplete);
        return;
    }
    // The end report: records missing below the highest number, then the bytes received.
    std::uint32_t size = 0;
    for (const auto& entry : numbered_)
        size += entry.second;
    std::uint32_t missing = 0;
    if (!numbered_.empty()) {
        missing = numbered_.rbegin()->first + 1 - static_cast<std::uint32_t>(numbered_.size());
    }
    const auto checksum = static_cast<std::uint16_t>(missing);
    counters_.endChecksum = checksum;
    counters_.endSize = size;
    Log("loader: end record, report checksum " + Hex(checksum, 4) + " size " +
        std::to_string(size));
    Emit(at, {0x55});
    std::vector<std::uint8_t> report;
    PushWord(report, checksum);
    report.push_back(0x55);
    const std::vector<std::uint8_t> sizeWords = DebugWords(size, 2);
    report.insert(report.end(), sizeWords.begin(), sizeWords.end());
    report.push_back(0x55);
    Emit(at + Ms(options_.timing.programMsPerRecord), std::move(report), kLoadComplete);
}

}  // namespace sim
