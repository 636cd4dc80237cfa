// The command channel of the receiver object: opening the port for text, sending
// command sentences and collecting reply lines.
#include <algorithm>
#include <string>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "app/CGpsUnit.h"
#include "app/CUploaderApp.h"
#include "command/CommandSentence.h"
#include "platform/Clock.h"
#include "platform/SerialDiagnostics.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBox.h"

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

void ShowOpenFailure() {
    ui::MessageBox(theApp.mainWindow, "COULD NOT OPEN COM PORT", "ERROR",
                   ui::MB_OK | ui::MB_ICONINFORMATION);
}

// A port that another program holds, or that the user may not open, needs the user to act:
// the status bar names the device and the reason ("open /dev/ttyUSB0: device in use").
// A port without a receiver behind it is what a scan meets every time and says nothing.
void ShowOpenReason(int portIndex) {
    std::string reason = platform::SerialDiagnostics::LastFailureForUser(portIndex);
    if (!reason.empty()) {
        // A scan tries the port again and again: said once while it stays the same.
        if (theApp.mainWindow == nullptr || theApp.mainWindow->PaneText(0) != reason)
            theApp.SetStatusText(reason);
    }
}

// Time the transmit queue needs at the line speed, twice over, and a second to spare.
std::uint64_t DrainLimitMs(int pending, int baud) {
    int bitsPerSecond = baud > 0 ? baud : 1200;
    return static_cast<std::uint64_t>(pending) * 10 * 1000 * 2 /
               static_cast<std::uint64_t>(bitsPerSecond) +
           1000;
}

}  // namespace

void CGpsUnit::Open(int portIndex, int speed, bool showErrors) {
    if (isOpen)
        Close();
    openFailed = 0;

    auto fail = [&] {
        openFailed = 1;
        ShowOpenReason(portIndex);
        if (showErrors)
            ShowOpenFailure();
    };

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
    bool automatic = theApp.baudChosenByUser != 0 && speed == 0;
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

void CGpsUnit::Close() {
    lineSettings.reset();
    link.reset();
    port.reset();
    isOpen = 0;
}

void CGpsUnit::Reopen(int portIndex, int speed, bool showErrors) {
    if (isOpen && comIndex == portIndex && baud == speed)
        return;
    Open(portIndex, speed, showErrors);
}

void CGpsUnit::SendSentence(std::string_view text) {
    if (!isOpen || !link)
        return;
    std::string trailer = CommandSentence::Trailer(text);
    link->Write(CommandSentence::kTag.data(), static_cast<int>(CommandSentence::kTag.size()));
    link->Write(text.data(), static_cast<int>(text.size()));
    link->Write(trailer.data(), static_cast<int>(trailer.size()));
}

void CGpsUnit::Settle() {
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

bool CGpsUnit::PollReplies() {
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

bool CGpsUnit::WaitLoaderByte() {
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
