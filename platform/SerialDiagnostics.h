#pragma once

#include <functional>
#include <string>

namespace platform {

// One thing the serial backend has to say about a device: a system call that failed
// (which call, which device, why) or advice for the user (how to get access).
struct SerialDiagnostic {
    enum class Kind { Failure, Advice };
    Kind kind = Kind::Failure;
    std::string call;    // the failing call, e.g. "open"; empty for advice
    std::string device;  // the device path, e.g. "/dev/ttyUSB0"
    int error = 0;       // the errno value (or an IE_ value); 0 for advice
    std::string text;    // "open /dev/ttyUSB0: permission denied", or the advice
};

// The device is the terminal this program runs in (an error value of the POSIX backend):
// it is never taken as a port, which would put the user's own terminal into raw mode.
inline constexpr int kErrorOwnTerminal = -100;

using SerialDiagnosticSink = std::function<void(const SerialDiagnostic&)>;

// Where the serial backend reports what went wrong, so that a technician's log or the
// status bar can say why a port did not open beside the program's own short message.
// Every report goes to the installed sink (the default one prints advice on stderr and
// keeps failures quiet: a connection scan meets missing devices every second). The last
// failure of each device is kept and can be asked for by device or by port index.
class SerialDiagnostics {
  public:
    // A failing call on a device; error is an errno value or one of the IE_ values.
    static void Failure(const std::string& call, const std::string& device, int error);
    // Advice for the user about a device.
    static void Advice(const std::string& device, const std::string& text);
    // The device opened: what went wrong before is no longer the story.
    static void Opened(const std::string& device);

    // Names the device behind a port index (0 for COM1), or "" for none, so that the
    // port's last failure can be found by its index.
    static void NamePort(int portIndex, const std::string& device);
    // The text of the last failure on the device since it last opened, or "".
    static std::string LastFailure(const std::string& device);
    // The same for the device behind a port index; for a port without a device, says so.
    static std::string LastFailureOfPort(int portIndex);
    // The last failure of the port when the user has to act on it (the device is in use,
    // not accessible, or no serial device), or "".
    static std::string LastFailureForUser(int portIndex);

    // "permission denied", "device in use", ... for an error value.
    static std::string Describe(int error);

    // Installs a sink (an empty one restores the default). Answers the previous one.
    static SerialDiagnosticSink SetSink(SerialDiagnosticSink sink);
    // Forgets every kept failure and port name (for tests).
    static void Clear();
};

// Installs a sink for the lifetime of the guard.
class ScopedSerialDiagnosticSink {
  public:
    explicit ScopedSerialDiagnosticSink(SerialDiagnosticSink sink)
        : previous_(SerialDiagnostics::SetSink(std::move(sink))) {}
    ~ScopedSerialDiagnosticSink() { SerialDiagnostics::SetSink(std::move(previous_)); }
    ScopedSerialDiagnosticSink(const ScopedSerialDiagnosticSink&) = delete;
    ScopedSerialDiagnosticSink& operator=(const ScopedSerialDiagnosticSink&) = delete;

  private:
    SerialDiagnosticSink previous_;
};

}  // namespace platform
