#include "platform/SerialDiagnostics.h"

#include <cstdio>
#include <map>
#include <mutex>

#include "platform/SerialTypes.h"
#include "platform/SystemErrorText.h"

namespace platform {

namespace {

void DefaultSink(const SerialDiagnostic& diagnostic) {
    if (diagnostic.kind == SerialDiagnostic::Kind::Advice)
        std::fprintf(stderr, "%s\n", diagnostic.text.c_str());
}

struct Kept {
    std::mutex guard;
    SerialDiagnosticSink sink;
    std::map<std::string, std::string> lastFailure;  // by device path
    std::map<std::string, int> lastError;            // by device path
    std::map<int, std::string> portDevice;           // by port index
};

Kept& State() {
    static Kept kept;
    return kept;
}

void Deliver(const SerialDiagnostic& diagnostic) {
    SerialDiagnosticSink sink;
    {
        Kept& kept = State();
        std::lock_guard<std::mutex> lock(kept.guard);
        if (diagnostic.kind == SerialDiagnostic::Kind::Failure) {
            kept.lastFailure[diagnostic.device] = diagnostic.text;
            kept.lastError[diagnostic.device] = diagnostic.error;
        }
        sink = kept.sink;
    }
    // Outside the lock: a sink may ask for the kept failures.
    if (sink)
        sink(diagnostic);
    else
        DefaultSink(diagnostic);
}

}  // namespace

std::string SerialDiagnostics::Describe(int error) {
    switch (error) {
        case IE_BAUDRATE:
            return "speed not supported";
        case IE_BYTESIZE:
            return "data bits not supported";
        case IE_HARDWARE:
            return "device error";
        case kErrorOwnTerminal:
            return "the terminal this program runs in";
        default:
            break;
    }
    if (error <= 0)
        return "error " + std::to_string(error);
    return SystemErrorText(error);
}

void SerialDiagnostics::Failure(const std::string& call, const std::string& device, int error) {
    SerialDiagnostic diagnostic;
    diagnostic.kind = SerialDiagnostic::Kind::Failure;
    diagnostic.call = call;
    diagnostic.device = device;
    diagnostic.error = error;
    diagnostic.text = call + " " + device + ": " + Describe(error);
    Deliver(diagnostic);
}

void SerialDiagnostics::Advice(const std::string& device, const std::string& text) {
    SerialDiagnostic diagnostic;
    diagnostic.kind = SerialDiagnostic::Kind::Advice;
    diagnostic.device = device;
    diagnostic.text = text;
    Deliver(diagnostic);
}

void SerialDiagnostics::Opened(const std::string& device) {
    Kept& kept = State();
    std::lock_guard<std::mutex> lock(kept.guard);
    kept.lastFailure.erase(device);
    kept.lastError.erase(device);
}

void SerialDiagnostics::NamePort(int portIndex, const std::string& device) {
    Kept& kept = State();
    std::lock_guard<std::mutex> lock(kept.guard);
    kept.portDevice[portIndex] = device;
}

std::string SerialDiagnostics::LastFailure(const std::string& device) {
    Kept& kept = State();
    std::lock_guard<std::mutex> lock(kept.guard);
    auto found = kept.lastFailure.find(device);
    return found != kept.lastFailure.end() ? found->second : std::string();
}

std::string SerialDiagnostics::LastFailureOfPort(int portIndex) {
    std::string device;
    {
        Kept& kept = State();
        std::lock_guard<std::mutex> lock(kept.guard);
        auto found = kept.portDevice.find(portIndex);
        if (found == kept.portDevice.end())
            return {};
        device = found->second;
    }
    if (device.empty())
        return "COM" + std::to_string(portIndex + 1) + ": no serial device";
    return LastFailure(device);
}

std::string SerialDiagnostics::LastFailureForUser(int portIndex) {
    Kept& kept = State();
    std::lock_guard<std::mutex> lock(kept.guard);
    auto device = kept.portDevice.find(portIndex);
    if (device == kept.portDevice.end())
        return {};
    auto error = kept.lastError.find(device->second);
    if (error == kept.lastError.end())
        return {};
    const bool userMustAct = error->second == kErrorOwnTerminal ||
                             (error->second > 0 && SystemErrorNeedsUser(error->second));
    if (!userMustAct)
        return {};
    return kept.lastFailure[device->second];
}

SerialDiagnosticSink SerialDiagnostics::SetSink(SerialDiagnosticSink sink) {
    Kept& kept = State();
    std::lock_guard<std::mutex> lock(kept.guard);
    SerialDiagnosticSink previous = std::move(kept.sink);
    kept.sink = std::move(sink);
    return previous;
}

void SerialDiagnostics::Clear() {
    Kept& kept = State();
    std::lock_guard<std::mutex> lock(kept.guard);
    kept.lastFailure.clear();
    kept.lastError.clear();
    kept.portDevice.clear();
}

}  // namespace platform
