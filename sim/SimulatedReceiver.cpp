#include "sim/SimulatedReceiver.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "sim/NmeaSentence.h"

namespace sim {

namespace {

constexpr std::uint64_t kNever = ScheduledOutput::kNever;
constexpr std::size_t kLongestSentence = 255;

// What a receiver sends unasked while it runs.
constexpr std::array<std::string_view, 2> kChatter = {{
    "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
    "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
}};

std::string Printable(std::string_view text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", byte);
            out += buf;
        }
    }
    return out;
}

std::string Fit(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

}  // namespace

SimulatedReceiver::SimulatedReceiver(ReceiverOptions options)
    : options_(std::move(options)),
      flash_(options_.sectorSize),
      faults_(options_.faults, options_.seed),
      line_(options_.timing.pace),
      loader_(options_, flash_, faults_, counters_, *this) {
    line_.SetReceiverBaud(options_.startInLoader ? options_.loaderSpeed : options_.sentenceSpeed);
}

void SimulatedReceiver::OnLineParams(const platform::LineParams& params) {
    if (params.baud != line_.HostBaud() && Logging()) {
        Log("line: host at " + std::to_string(params.baud) + " bit/s");
    }
    line_.SetHostBaud(params.baud);
}

void SimulatedReceiver::PowerOn(std::uint64_t nowMs) {
    if (started_)
        return;
    started_ = true;
    const std::uint64_t atUs = nowMs * 1000;
    clockUs_ = powerOnUs_ = atUs;
    if (options_.startInLoader) {
        EnterLoader(RecordModeFor(LoadKind::Code), atUs);
    } else {
        EnterSentenceMode(atUs);
    }
}

void SimulatedReceiver::OnHostBytes(const std::uint8_t* data, std::size_t size,
                                    std::uint64_t nowMs) {
    const std::uint64_t nowUs = nowMs * 1000;
    Advance(nowUs);
    if (!present_)
        return;
    line_.FromHost(data, size, std::max(nowUs, clockUs_));
    Advance(nowUs);
}

void SimulatedReceiver::Service(std::uint64_t nowMs, std::vector<std::uint8_t>& toHost) {
    const std::uint64_t nowUs = nowMs * 1000;
    Advance(nowUs);
    if (present_)
        line_.Deliver(nowUs, toHost);
}

std::uint64_t SimulatedReceiver::NextDueMs() const {
    if (!present_)
        return kNever;
    if (!started_)
        return 0;
    const std::uint64_t us = std::min({NextTimerUs(), line_.NextInputUs(), line_.NextOutputUs()});
    return us == kNever ? kNever : (us + 999) / 1000;
}

bool SimulatedReceiver::RecordModeFor(LoadKind kind) const {
    if (options_.loaderMode == LoaderMode::Address)
        return false;
    if (options_.loaderMode == LoaderMode::Record)
        return true;
    switch (kind) {
        case LoadKind::Code:
        case LoadKind::Poi:
            return false;
        case LoadKind::BaseMap:
            return options_.family == 5;  // family 6 erases and addresses its base map
        case LoadKind::DetailMap:
            return true;
    }
    return false;
}

std::string SimulatedReceiver::VersionBody() const {
    // "$PXRVVER," code "," firmware in eight columns "," model text in eleven or more.
    std::string body =
        "PXRVVER," + Fit(options_.productCode, 3) + "," + Fit(options_.firmware, 8) + ",";
    body += options_.modelText.size() >= 11 ? options_.modelText : Fit(options_.modelText, 11);
    return body;
}

std::uint64_t SimulatedReceiver::NextTimerUs() const {
    return std::min({modeUs_, chatterUs_, replies_.NextUs(), loader_.NextDueUs()});
}

void SimulatedReceiver::Advance(std::uint64_t nowUs) {
    if (!started_)
        PowerOn(nowUs / 1000);
    while (present_) {
        const std::uint64_t timerUs = NextTimerUs();
        const std::uint64_t inputUs = line_.NextInputUs();
        if (timerUs <= nowUs && timerUs <= inputUs) {
            clockUs_ = std::max(clockUs_, timerUs);
            FireTimers(timerUs);
            continue;
        }
        std::uint8_t byte = 0;
        std::uint64_t atUs = 0;
        if (!line_.PopInput(nowUs, byte, atUs))
            break;
        clockUs_ = std::max(clockUs_, atUs);
        OnByte(byte, atUs);
    }
    clockUs_ = std::max(clockUs_, nowUs);
}

void SimulatedReceiver::FireTimers(std::uint64_t atUs) {
    ScheduledOutput::Entry entry;
    while (replies_.PopDue(atUs, entry))
        Transmit(entry.bytes, entry.atUs);
    if (loader_.NextDueUs() <= atUs)
        loader_.OnTime(atUs);
    if (chatterUs_ <= atUs) {
        const std::uint64_t at = chatterUs_;
        chatterUs_ = kNever;
        if (mode_ == Mode::Sentence && options_.timing.chatterMs > 0) {
            SendChatter(at);
            chatterUs_ = at + Ms(options_.timing.chatterMs);
        }
    }
    if (modeUs_ <= atUs) {
        const std::uint64_t at = modeUs_;
        modeUs_ = kNever;
        if (nextMode_ == Mode::Loader) {
            EnterLoader(nextRecordMode_, at);
        } else if (nextMode_ == Mode::Sentence) {
            EnterSentenceMode(at);
        }
    }
}

void SimulatedReceiver::EnterSentenceMode(std::uint64_t atUs) {
    loader_.Stop();
    mode_ = Mode::Sentence;
    line_.SetReceiverBaud(options_.sentenceSpeed);
    inSentence_ = false;
    Log("receiver: running, sentences at " + std::to_string(options_.sentenceSpeed) + " bit/s");
    if (options_.timing.chatterMs > 0)
        chatterUs_ = atUs + Ms(options_.timing.chatterMs);
}

void SimulatedReceiver::EnterLoader(bool recordMode, std::uint64_t atUs) {
    mode_ = Mode::Loader;
    chatterUs_ = kNever;
    replies_.Clear();
    line_.SetReceiverBaud(options_.loaderSpeed);
    loader_.Start(recordMode, atUs);
}

void SimulatedReceiver::OnByte(std::uint8_t byte, std::uint64_t atUs) {
    if (atUs < silentUntilUs_)
        return;
    if (mode_ == Mode::Sentence) {
        OnSentenceByte(byte, atUs);
    } else if (mode_ == Mode::Loader) {
        loader_.OnByte(byte, atUs);
    }
}

void SimulatedReceiver::OnSentenceByte(std::uint8_t byte, std::uint64_t atUs) {
    if (byte == '$') {
        sentence_.assign(1, '$');
        inSentence_ = true;
        return;
    }
    if (!inSentence_)
        return;
    if (byte == '\r' || byte == '\n') {
        inSentence_ = false;
        OnSentence(atUs);
        return;
    }
    sentence_.push_back(static_cast<char>(byte));
    if (sentence_.size() > kLongestSentence)
        inSentence_ = false;
}

void SimulatedReceiver::OnSentence(std::uint64_t atUs) {
    std::string_view body;
    if (!NmeaSentence::Check(sentence_, body) || body.substr(0, 4) != "PXRV") {
        ++counters_.sentencesRejected;
        if (Logging())
            Log("sentence ignored: " + Printable(sentence_));
        return;
    }
    const std::string command(body.substr(4));
    if (Logging())
        Log("sentence in: " + Printable(command));
    const FaultPlan::Hits hits = faults_.Roll(FaultEvent::Sentence);
    if (const FaultRule* s = hits.Get(FaultKind::Disconnect)) {
        ++counters_.faultsStruck;
        Log("fault: " + s->Describe());
        StrikeDisconnect(atUs);
        return;
    }
    if (const FaultRule* s = hits.Get(FaultKind::Silence)) {
        ++counters_.faultsStruck;
        Log("fault: " + s->Describe());
        StrikeSilence(*s, atUs);
        return;
    }
    const std::uint64_t replyAt = atUs + Ms(options_.timing.replyDelayMs);
    if (const FaultRule* s = hits.Get(FaultKind::Garbage)) {
        ++counters_.faultsStruck;
        Log("fault: " + s->Describe());
        replies_.Add(replyAt,
                     std::vector<std::uint8_t>(static_cast<std::size_t>(s->garbageBytes), 0xF0));
    }
    if (command == "CMD,VERSION") {
        Reply(VersionBody(), replyAt);
    } else if (command == "CMD,MEMORY") {
        Reply("PXRVMEM," + options_.memory, replyAt);
    } else if (command == "CMD,PIH") {
        if (!options_.poiHeader.empty())
            Reply("PXRVPOI," + options_.poiHeader, replyAt);
    } else if (command == "CMD,MPH") {
        if (!options_.mapHeader.empty())
            Reply("PXRVMPH," + options_.mapHeader, replyAt);
    } else if (command == "CMD,DBUPLOAD") {
        BeginLoad(LoadKind::Code, atUs);
    } else if (command == "CMD,PIUPLOAD") {
        BeginLoad(LoadKind::Poi, atUs);
    } else if (command == "CMD,MPUPLOAD,1") {
        BeginLoad(LoadKind::BaseMap, atUs);
    } else if (command == "CMD,MPUPLOAD,2") {
        BeginLoad(LoadKind::DetailMap, atUs);
    } else {
        Log("sentence not understood");
    }
}

void SimulatedReceiver::Reply(std::string_view body, std::uint64_t atUs) {
    const std::string text =
        NmeaSentence::Build(body, options_.checksumFoldsDollar, options_.lowerCaseChecksum);
    ++counters_.sentencesAnswered;
    if (Logging())
        Log("sentence out: " + Printable(text));
    replies_.Add(atUs, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void SimulatedReceiver::SendChatter(std::uint64_t atUs) {
    const std::string text = NmeaSentence::Build(kChatter[chatterIndex_++ % kChatter.size()]);
    Transmit(std::vector<std::uint8_t>(text.begin(), text.end()), atUs);
}

void SimulatedReceiver::BeginLoad(LoadKind kind, std::uint64_t atUs) {
    ++counters_.loadCommands;
    mode_ = Mode::Switching;
    nextMode_ = Mode::Loader;
    nextRecordMode_ = RecordModeFor(kind);
    chatterUs_ = kNever;
    modeUs_ = atUs + Ms(options_.timing.modeSwitchMs);
    Log("receiver: load command, switching to the loader");
}

void SimulatedReceiver::Transmit(const std::vector<std::uint8_t>& bytes, std::uint64_t atUs) {
    if (!present_ || atUs < silentUntilUs_)
        return;
    const FaultPlan::Hits hits = faults_.Roll(FaultEvent::Reply);
    if (const FaultRule* s = hits.Get(FaultKind::Garbage)) {
        ++counters_.faultsStruck;
        Log("fault: " + s->Describe());
        const std::vector<std::uint8_t> noise(static_cast<std::size_t>(s->garbageBytes), 0xF0);
        line_.ToHost(noise.data(), noise.size(), atUs);
    }
    line_.ToHost(bytes.data(), bytes.size(), atUs);
}

void SimulatedReceiver::LoadCompleted(std::uint64_t atUs) {
    ++counters_.loadsCompleted;
    AfterLoad after = options_.afterLoad;
    if (after == AfterLoad::Auto) {
        // An old 7K unit comes back from its first load in the loader: its boot block
        // must be loaded again before it runs.
        const bool oldSevenK = (options_.family == 2 || options_.family == 3) &&
                               std::atoi(options_.firmware.c_str()) < 3;
        after =
            oldSevenK && counters_.loadsCompleted == 1 ? AfterLoad::Loader : AfterLoad::Sentence;
    }
    Log("receiver: load complete");
    if (after == AfterLoad::Stay)
        return;
    mode_ = Mode::Restarting;
    nextMode_ = after == AfterLoad::Loader ? Mode::Loader : Mode::Sentence;
    nextRecordMode_ = loader_.RecordMode();
    modeUs_ = atUs + Ms(options_.timing.restartMs);
}

void SimulatedReceiver::StrikeSilence(const FaultRule& rule, std::uint64_t atUs) {
    silentUntilUs_ = rule.forMs == 0 ? kNever : atUs + rule.forMs * 1000;
    Log("receiver: silent");
}

void SimulatedReceiver::StrikeDisconnect(std::uint64_t /*atUs*/) {
    Log("receiver: disconnected");
    present_ = false;
    mode_ = Mode::Gone;
    loader_.Stop();
    replies_.Clear();
    line_.Clear();
    modeUs_ = chatterUs_ = kNever;
}

void SimulatedReceiver::Log(const std::string& line) {
    if (!options_.log)
        return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%10.3f ", static_cast<double>(clockUs_ - powerOnUs_) / 1e6);
    options_.log(stamp + line);
}

}  // namespace sim
