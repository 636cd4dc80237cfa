#include "command/CommandChannel.h"

#include <algorithm>
#include <string>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "command/CommandSentence.h"
#include "command/ReplyInterpreter.h"
#include "platform/Clock.h"
#include "platform/SerialDiagnostics.h"

namespace {

constexpr int kRxQueueSize = 4096;
constexpr int kTxQueueSize = 2048;
constexpr int kLinkTxQueueSize = 6144;
constexpr unsigned char kLoaderHello = 0xAA;
constexpr unsigned char kLoaderRecWait = 0x77;

// One poll takes at most this many bytes, so a line that never stops talking cannot
// hold the user interface; the rest waits for the next poll.
constexpr int kMaxBytesPerPoll = 65536;

// Settle: how often the queue and the clock are looked at, how long a transmit queue
// that does not move is waited for (a device that has gone away), and how long the
// receiver is given to change mode.
constexpr unsigned kSettlePollMs = 10;
// The pause only waits for the calendar second to turn twice: looking a little less
// often keeps an idle uploader off the processor; the pause ends at most this much late.
constexpr unsigned kModeChangePollMs = 50;
constexpr std::uint64_t kStalledQueueMs = 1000;
constexpr std::int64_t kModeChangeSeconds = 2;
constexpr std::uint64_t kModeChangeMaxMs = 2000;

// A port that another program holds, or that the user may not open, needs the user to act:
// the reason names the device and why. A port without a receiver behind it is what a scan
// meets every time and has no reason to tell.
std::string ReasonToTell(int portIndex) {
    return platform::SerialDiagnostics::LastFailureForUser(portIndex);
}

// Time the transmit queue needs at the line speed, twice over, and a second to spare.
std::uint64_t DrainLimitMs(int pending, int baud) {
    int bitsPerSecond = baud > 0 ? baud : 1200;
    return static_cast<std::uint64_t>(pending) * 10 * 1000 * 2 /
               static_cast<std::uint64_t>(bitsPerSecond) +
           1000;
}

}  // namespace

CommandChannel::CommandChannel(ReceiverIdentity& identity) : identity_(identity) {}

CommandChannel::~CommandChannel() {
    Close();
}

void CommandChannel::ReportOpenFailure(int portIndex, bool showErrors) {
    openFailed = 1;
    if (events_.openFailed)
        events_.openFailed(ReasonToTell(portIndex), showErrors);
}

void CommandChannel::Open(int portIndex, int speed, bool showErrors) {
    if (isOpen)
        Close();
    openFailed = 0;

    auto fail = [&] { ReportOpenFailure(portIndex, showErrors); };

    // A port whose device did not open counts as a failure at once. Otherwise only the
    // speed setting below would notice, and with an automatic speed (no speed set) a
    // missing port would count as open.
    auto newPort = std::make_unique<Win32CommPort>(portIndex, kRxQueueSize, kTxQueueSize, 0);
    if (!newPort->IsOpen()) {
        fail();
        return;
    }
    auto newLink = std::make_unique<CommLink>(*newPort);
    auto newSettings = std::make_unique<LineSettings>(newLink.get());

    // With the speed left to the receiver (the user chose automatic speed) the line stays
    // at the 1200 bit/s the line settings start with.
    bool automatic = events_.speedChosenByUser && events_.speedChosenByUser() && speed == 0;
    if (!automatic && newSettings->SetBaud(speed) != 0) {
        // Down in reverse order: the settings put the line back before the link goes.
        newSettings.reset();
        newLink.reset();
        newPort.reset();
        fail();
        return;
    }

    newLink->SetTxQueueSize(kLinkTxQueueSize);
    port = std::move(newPort);
    link = std::move(newLink);
    lineSettings = std::move(newSettings);
    isOpen = 1;
    comIndex = portIndex;
    lineLen = 0;
    if (!automatic)
        baud = speed;
}

void CommandChannel::Close() {
    lineSettings.reset();
    link.reset();
    port.reset();
    isOpen = 0;
}

void CommandChannel::Reopen(int portIndex, int speed, bool showErrors) {
    if (isOpen && comIndex == portIndex && baud == speed)
        return;
    Open(portIndex, speed, showErrors);
}

void CommandChannel::SendSentence(std::string_view text) {
    if (!isOpen || !link)
        return;
    std::string trailer = CommandSentence::Trailer(text);
    link->Write(CommandSentence::kTag.data(), static_cast<int>(CommandSentence::kTag.size()));
    link->Write(text.data(), static_cast<int>(text.size()));
    link->Write(trailer.data(), static_cast<int>(trailer.size()));
}

void CommandChannel::Settle() {
    if (!isOpen || !link)
        return;
    platform::Clock& clock = platform::GetClock();
    link->SendByte(0x00);

    // Until the queue is empty, bounded twice: by the time the queue needs at the line
    // speed, and by a queue that stops moving (the device went away, or the line is held).
    std::uint64_t start = clock.MonotonicMs();
    int pending = link->TxCount();
    std::uint64_t limit = DrainLimitMs(std::max(pending, 0), baud);
    std::uint64_t lastMove = start;
    while (pending > 0) {
        std::uint64_t now = clock.MonotonicMs();
        if (now - start >= limit || now - lastMove >= kStalledQueueMs)
            break;
        clock.SleepMs(kSettlePollMs);
        int left = link->TxCount();
        if (left != pending)
            lastMove = clock.MonotonicMs();
        pending = left;
    }

    // Then until the second-clock has advanced by two. The monotonic bound ends the
    // pause when the wall clock is set back meanwhile.
    std::int64_t firstSecond = clock.CalendarSeconds();
    std::uint64_t pauseStart = clock.MonotonicMs();
    for (;;) {
        const std::uint64_t paused = clock.MonotonicMs() - pauseStart;
        if (clock.CalendarSeconds() >= firstSecond + kModeChangeSeconds ||
            paused >= kModeChangeMaxMs)
            break;
        clock.SleepMs(static_cast<unsigned>(
            std::min<std::uint64_t>(kModeChangePollMs, kModeChangeMaxMs - paused)));
    }
}

bool CommandChannel::PollReplies() {
    if (!isOpen || !link)
        return false;
    bool recognised = false;
    for (int count = 0; count < kMaxBytesPerPoll; ++count) {
        int byte = link->ReadByteTimed(0);
        if (byte < 0)
            break;
        if (lineLen == 0) {
            // Between lines only a "$" counts: noise and the line feed are dropped.
            if (byte == '$') {
                lineBuf[0] = '$';
                lineLen = 1;
            }
        } else if (byte == '\r') {
            if (ParseLine())
                recognised = true;
        } else {
            lineBuf[static_cast<std::size_t>(lineLen)] = static_cast<char>(byte);
            if (++lineLen >= static_cast<int>(lineBuf.size()))
                lineLen = 0;  // too long for a reply: lost
        }
    }
    return recognised;
}

bool CommandChannel::WaitLoaderByte() {
    if (!link)
        return false;
    for (int count = 0; count < kMaxBytesPerPoll; ++count) {
        int byte = link->ReadByteTimed(0);
        if (byte < 0)
            return false;
        if (byte == kLoaderHello || byte == kLoaderRecWait)
            return true;
    }
    return false;
}

bool CommandChannel::ParseLine() {
    std::size_t length =
        static_cast<std::size_t>(std::clamp(lineLen, 0, static_cast<int>(lineBuf.size()) - 1));
    lineBuf[length] = '\0';
    lineLen = 0;
    std::string_view line(lineBuf.data(), length);
    if (!CommandSentence::IsValidReply(line))
        return false;
    ReplyInterpreter::Result result = ReplyInterpreter::Interpret(identity_, line);
    identity_ = std::move(result.identity);
    if (result.modelChanged && events_.modelChanged)
        events_.modelChanged(identity_.unitName);
    return result.recognised;
}
