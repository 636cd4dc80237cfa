// tarnwick-receiver-sim: a simulated GPS receiver on a pseudo-terminal, in real time.

#include <poll.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "sim/S3RecordWriter.h"
#include "sim/SimulatedReceiver.h"
#include "tools/receiver-sim/PtyEndpoint.h"
#include "tools/receiver-sim/SimCommandLine.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) {
    stopSignal = signal;
}

void InstallSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: poll returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void LogLine(const std::string& line) {
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
}

void SaveFlash(const std::string& path, const sim::SimulatedReceiver& receiver, bool verbose) {
    if (path.empty())
        return;
    if (!sim::S3RecordWriter::WriteFile(path, receiver.ProgrammedRanges())) {
        LogLine("tarnwick-receiver-sim: cannot write " + path);
    } else if (verbose) {
        LogLine("flash written to " + path);
    }
}

// What the pseudo-terminal has not taken yet; a host that does not read loses bytes
// beyond this, as a real UART would overrun.
constexpr std::size_t kMaxPending = 64 * 1024;

// The longest sleep when nothing is scheduled: the pseudo-terminal does not signal a new
// line speed or a host opening the device, so they are looked for this often.
constexpr int kIdleWaitMs = 20;

}  // namespace

int main(int argc, char** argv) {
    SimCommandLine commandLine;
    std::string error;
    if (!commandLine.Parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        LogLine("tarnwick-receiver-sim: " + error);
        LogLine("Try --help.");
        return 2;
    }
    if (commandLine.help) {
        std::fputs(SimCommandLine::HelpText().c_str(), stdout);
        return 0;
    }
    if (commandLine.verbose)
        commandLine.options.log = LogLine;

    PtyEndpoint pty;
    const sim::ReceiverOptions& options = commandLine.options;
    if (!pty.Open(options.startInLoader ? options.loaderSpeed : options.sentenceSpeed, error)) {
        LogLine("tarnwick-receiver-sim: " + error);
        return 1;
    }
    InstallSignals();
    std::fputs((pty.DevicePath() + "\n").c_str(), stdout);
    std::fflush(stdout);

    platform::Clock& clock = platform::GetClock();
    const bool verbose = commandLine.verbose;
    const std::string flashOut = commandLine.flashOut;
    sim::SimulatedReceiver receiver(std::move(commandLine.options));
    receiver.PowerOn(clock.MonotonicMs());

    std::uint32_t hostBaud = 0;
    std::uint64_t loadsSaved = 0;
    bool wasAttached = false;
    std::vector<std::uint8_t> fromHost(4096);
    std::vector<std::uint8_t> toHost;
    std::vector<std::uint8_t> pending;

    auto readFromHost = [&](std::uint64_t now) {
        for (;;) {
            const long n = pty.Read(fromHost.data(), fromHost.size());
            if (n <= 0)
                break;
            receiver.OnHostBytes(fromHost.data(), static_cast<std::size_t>(n), now);
        }
    };

    while (stopSignal == 0) {
        const std::uint64_t now = clock.MonotonicMs();
        // The speed before the hang-up: a host puts the line back as it found it when it
        // closes, and whatever it wrote before that went at the speed it had set.
        const std::uint32_t baud = pty.HostBaud();
        const bool attached = pty.HostAttached();
        if (verbose && attached != wasAttached) {
            LogLine(attached ? "device: opened by a host" : "device: closed by the host");
        }
        wasAttached = attached;
        if (!attached)
            readFromHost(now);  // still readable after the hang-up
        // Settings first while the host is there: bytes it wrote after changing the
        // speed go at the new one.
        if (baud != hostBaud) {
            hostBaud = baud;
            platform::LineParams params;
            params.baud = baud;
            receiver.OnLineParams(params);
        }
        readFromHost(now);
        toHost.clear();
        receiver.Service(now, toHost);
        if (attached) {
            pending.insert(pending.end(), toHost.begin(), toHost.end());
            const long n = pty.Write(pending.data(), pending.size());
            if (n > 0)
                pending.erase(pending.begin(), pending.begin() + n);
            if (pending.size() > kMaxPending) {
                pending.erase(pending.begin(), pending.end() - kMaxPending);
            }
        } else {
            pending.clear();  // nobody listens: what the receiver says is lost
        }
        if (receiver.Counters().loadsCompleted != loadsSaved) {
            loadsSaved = receiver.Counters().loadsCompleted;
            SaveFlash(flashOut, receiver, verbose);
        }
        if (!receiver.Present()) {
            // Unplugged: the device goes away with it.
            if (verbose)
                LogLine("tarnwick-receiver-sim: disconnected, closing the device");
            pty.Close();
            break;
        }
        // Sleeps until the next scheduled byte or event, or until the host writes (or the
        // device takes what is pending), so answers leave at the time their pacing says.
        const std::uint64_t due = receiver.NextDueMs();
        const std::uint64_t later = clock.MonotonicMs();
        int timeout = kIdleWaitMs;
        if (due != UINT64_MAX) {
            timeout = static_cast<int>(
                std::min<std::uint64_t>(kIdleWaitMs, due > later ? due - later : 0));
        }
        pollfd fd{pty.Descriptor(), static_cast<short>(pending.empty() ? POLLIN : POLLIN | POLLOUT),
                  0};
        // A hung-up master is always ready; then just wait.
        poll(&fd, attached ? 1 : 0, timeout);
    }

    SaveFlash(flashOut, receiver, verbose);
    if (verbose && stopSignal != 0)
        LogLine("tarnwick-receiver-sim: stopped");
    return 0;
}
