#include "platform/win32/Win32SerialDevice.h"

#include <algorithm>
#include <vector>

#include "platform/Clock.h"
#include "platform/SerialDiagnostics.h"
#include "platform/win32/SystemApi.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace platform {

namespace {

// How long a cancelled transfer may take to come back before the device gives up on it.
constexpr DWORD kSettleMs = 1000;
// The most output handed to one write.
constexpr std::size_t kWriteChunk = 4096;

// What an unplugged adapter (or a pseudo-terminal whose other end has gone) answers.
bool DeviceGone(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_IO_DEVICE:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
            return true;
        default:
            return false;
    }
}

DCB FromSystem(const ::DCB& d) {
    DCB dcb{};
    dcb.BaudRate = d.BaudRate;
    dcb.fBinary = static_cast<std::uint8_t>(d.fBinary);
    dcb.fParity = static_cast<std::uint8_t>(d.fParity);
    dcb.fOutxCtsFlow = static_cast<std::uint8_t>(d.fOutxCtsFlow);
    dcb.fOutxDsrFlow = static_cast<std::uint8_t>(d.fOutxDsrFlow);
    dcb.fDtrControl = static_cast<std::uint8_t>(d.fDtrControl);
    dcb.fDsrSensitivity = static_cast<std::uint8_t>(d.fDsrSensitivity);
    dcb.fTXContinueOnXoff = static_cast<std::uint8_t>(d.fTXContinueOnXoff);
    dcb.fOutX = static_cast<std::uint8_t>(d.fOutX);
    dcb.fInX = static_cast<std::uint8_t>(d.fInX);
    dcb.fErrorChar = static_cast<std::uint8_t>(d.fErrorChar);
    dcb.fNull = static_cast<std::uint8_t>(d.fNull);
    dcb.fRtsControl = static_cast<std::uint8_t>(d.fRtsControl);
    dcb.fAbortOnError = static_cast<std::uint8_t>(d.fAbortOnError);
    dcb.XonLim = d.XonLim;
    dcb.XoffLim = d.XoffLim;
    dcb.ByteSize = d.ByteSize;
    dcb.Parity = d.Parity;
    dcb.StopBits = d.StopBits;
    dcb.XonChar = d.XonChar;
    dcb.XoffChar = d.XoffChar;
    dcb.ErrorChar = d.ErrorChar;
    dcb.EofChar = d.EofChar;
    dcb.EvtChar = d.EvtChar;
    return dcb;
}

void ToSystem(const DCB& dcb, ::DCB& d) {
    d.DCBlength = sizeof d;
    d.BaudRate = dcb.BaudRate;
    d.fBinary = dcb.fBinary;
    d.fParity = dcb.fParity;
    d.fOutxCtsFlow = dcb.fOutxCtsFlow;
    d.fOutxDsrFlow = dcb.fOutxDsrFlow;
    d.fDtrControl = dcb.fDtrControl;
    d.fDsrSensitivity = dcb.fDsrSensitivity;
    d.fTXContinueOnXoff = dcb.fTXContinueOnXoff;
    d.fOutX = dcb.fOutX;
    d.fInX = dcb.fInX;
    d.fErrorChar = dcb.fErrorChar;
    d.fNull = dcb.fNull;
    d.fRtsControl = dcb.fRtsControl;
    d.fAbortOnError = dcb.fAbortOnError;
    d.XonLim = dcb.XonLim;
    d.XoffLim = dcb.XoffLim;
    d.ByteSize = dcb.ByteSize;
    d.Parity = dcb.Parity;
    d.StopBits = dcb.StopBits;
    d.XonChar = dcb.XonChar;
    d.XoffChar = dcb.XoffChar;
    d.ErrorChar = dcb.ErrorChar;
    d.EofChar = dcb.EofChar;
    d.EvtChar = dcb.EvtChar;
}

}  // namespace

struct Win32SerialDevice::System {
    UniqueHandle claim;  // the port's name, held while it is open
    UniqueHandle device;
    UniqueHandle readEvent;   // manual reset; signalled while input waits to be read
    UniqueHandle writeEvent;  // manual reset; signalled when the write in flight is done
    ::OVERLAPPED readIo{};
    ::OVERLAPPED writeIo{};
    bool readPending = false;
    bool writePending = false;
    std::uint8_t readByte = 0;
    std::vector<std::uint8_t> inFlight;  // the bytes of the write in flight
    std::size_t inFlightDone = 0;        // of which the system has taken these
    ::DCB original{};
    ::COMMTIMEOUTS originalTimeouts{};
    bool haveOriginal = false;
};

Win32SerialDevice::Win32SerialDevice(std::string path)
    : path_(std::move(path)), rx_(kDefaultQueueSize), tx_(kDefaultQueueSize) {}

Win32SerialDevice::~Win32SerialDevice() {
    if (system_ != nullptr)
        Close();
}

bool Win32SerialDevice::IsOpen() const {
    return system_ != nullptr;
}

Waitable Win32SerialDevice::InputSource() const {
    if (system_ == nullptr)
        return {};
    return {reinterpret_cast<std::intptr_t>(system_->readEvent.Get())};
}

bool Win32SerialDevice::Fail(int systemError) {
    lastError_ = systemError;
    return false;
}

bool Win32SerialDevice::CallFailed(const char* call, unsigned long error) {
    if (gone_)
        return Fail(IE_HARDWARE);
    SerialDiagnostics::Failure(call, path_, static_cast<int>(error));
    if (DeviceGone(error)) {
        // Said once; from now on every call fails at once as a hardware failure.
        gone_ = true;
        return Fail(IE_HARDWARE);
    }
    return Fail(static_cast<int>(error));
}

bool Win32SerialDevice::Usable() {
    if (system_ == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    if (gone_)
        return Fail(IE_HARDWARE);
    return true;
}

bool Win32SerialDevice::Open() {
    if (system_ != nullptr)
        return Fail(ERROR_BUSY);
    auto system = std::make_unique<System>();
    // Windows' own ports are exclusive, but a port that Wine maps to a Unix device is
    // not: a name per port, held while it is open, keeps out a second program (or port
    // object) as the system would, before anything touches the device.
    std::wstring name = L"Local\\tarnwick-uploader-" + WideFromUtf8(path_);
    std::replace(name.begin() + 6, name.end(), L'\\', L'/');
    system->claim.Reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!system->claim.Valid() || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        // What the system answers for a port in use.
        SerialDiagnostics::Failure("CreateFileW", path_, ERROR_ACCESS_DENIED);
        return Fail(ERROR_ACCESS_DENIED);
    }
    system->device.Reset(::CreateFileW(WideFromUtf8(path_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!system->device.Valid()) {
        DWORD error = ::GetLastError();
        SerialDiagnostics::Failure("CreateFileW", path_, static_cast<int>(error));
        return Fail(static_cast<int>(error));
    }
    system->readEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    system->writeEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!system->readEvent.Valid() || !system->writeEvent.Valid()) {
        DWORD error = ::GetLastError();
        SerialDiagnostics::Failure("CreateEventW", path_, static_cast<int>(error));
        return Fail(static_cast<int>(error));
    }
    HANDLE device = system->device.Get();
    system->original.DCBlength = sizeof system->original;
    system->haveOriginal = ::GetCommState(device, &system->original) != 0 &&
                           ::GetCommTimeouts(device, &system->originalTimeouts) != 0;
    // No timeouts: the one-byte read waits for its byte, and every other read asks only
    // for bytes the driver already holds, so it returns at once.
    ::COMMTIMEOUTS none{};
    if (::SetCommTimeouts(device, &none) == 0) {
        DWORD error = ::GetLastError();
        SerialDiagnostics::Failure("SetCommTimeouts", path_, static_cast<int>(error));
        return Fail(static_cast<int>(error));
    }
    system_ = std::move(system);
    gone_ = false;
    pendingErrors_ = 0;
    rx_.Clear();
    tx_.Clear();
    if (!Harvest())
        return false;
    SerialDiagnostics::Opened(path_);
    return true;
}

bool Win32SerialDevice::Settle(bool write) {
    ::OVERLAPPED& io = write ? system_->writeIo : system_->readIo;
    bool& pending = write ? system_->writePending : system_->readPending;
    if (!pending)
        return true;
    ::CancelIoEx(system_->device.Get(), &io);
    DWORD moved = 0;
    ::WaitForSingleObject(io.hEvent, kSettleMs);
    if (::GetOverlappedResult(system_->device.Get(), &io, &moved, FALSE) == 0 &&
        ::GetLastError() == ERROR_IO_INCOMPLETE) {
        return false;
    }
    pending = false;
    return true;
}

bool Win32SerialDevice::Close() {
    if (system_ == nullptr)
        return Fail(ERROR_INVALID_HANDLE);
    tx_.Clear();
    rx_.Clear();
    HANDLE device = system_->device.Get();
    // Output the system has not taken is dropped, as Close promises; the pending read
    // has to come back before its record goes.
    bool settled = Settle(true) && Settle(false);
    if (!gone_ && system_->haveOriginal) {
        // Leave the line as we found it.
        ::SetCommState(device, &system_->original);
        ::SetCommTimeouts(device, &system_->originalTimeouts);
    }
    bool closed = system_->device.Reset();
    DWORD error = ::GetLastError();
    if (settled) {
        system_.reset();
    } else {
        (void)system_.release();  // a transfer still writes into it: never freed
    }
    system_ = nullptr;
    gone_ = false;
    if (!closed) {
        SerialDiagnostics::Failure("CloseHandle", path_, static_cast<int>(error));
        return Fail(static_cast<int>(error));
    }
    return true;
}

bool Win32SerialDevice::ArmRead() {
    System& s = *system_;
    while (!s.readPending && rx_.Room() > 0) {
        s.readIo = ::OVERLAPPED{};
        s.readIo.hEvent = s.readEvent.Get();
        if (::ReadFile(s.device.Get(), &s.readByte, 1, nullptr, &s.readIo) == 0) {
            DWORD error = ::GetLastError();
            if (error != ERROR_IO_PENDING)
                return CallFailed("ReadFile", error);
            s.readPending = true;
            return true;
        }
        // A byte was there already.
        DWORD got = 0;
        ::GetOverlappedResult(s.device.Get(), &s.readIo, &got, FALSE);
        if (got == 1)
            rx_.Push(&s.readByte, 1);
        if (!TakeWaitingBytes())
            return false;
    }
    return true;
}

bool Win32SerialDevice::TakeWaitingBytes() {
    System& s = *system_;
    DWORD errors = 0;
    ::COMSTAT stat{};
    if (::ClearCommError(s.device.Get(), &errors, &stat) == 0)
        return CallFailed("ClearCommError", ::GetLastError());
    pendingErrors_ |= errors;
    std::uint8_t buffer[1024];
    DWORD wanted = std::min<DWORD>(stat.cbInQue, static_cast<DWORD>(rx_.Room()));
    wanted = std::min<DWORD>(wanted, sizeof buffer);
    if (wanted == 0)
        return true;
    // These bytes are there: the read finishes at once, even when it says it is pending.
    s.readIo = ::OVERLAPPED{};
    s.readIo.hEvent = s.readEvent.Get();
    DWORD got = 0;
    if (::ReadFile(s.device.Get(), buffer, wanted, nullptr, &s.readIo) == 0 &&
        ::GetLastError() != ERROR_IO_PENDING) {
        return CallFailed("ReadFile", ::GetLastError());
    }
    if (::GetOverlappedResult(s.device.Get(), &s.readIo, &got, TRUE) == 0)
        return CallFailed("ReadFile", ::GetLastError());
    rx_.Push(buffer, got);
    return true;
}

bool Win32SerialDevice::Harvest() {
    System& s = *system_;
    if (s.readPending) {
        DWORD got = 0;
        if (::GetOverlappedResult(s.device.Get(), &s.readIo, &got, FALSE) == 0) {
            DWORD error = ::GetLastError();
            if (error == ERROR_IO_INCOMPLETE) {
                ShowInput();
                return true;  // nothing has come: the driver holds nothing either
            }
            s.readPending = false;
            if (error != ERROR_OPERATION_ABORTED)
                return CallFailed("ReadFile", error);
        } else {
            s.readPending = false;
            if (got == 1)
                rx_.Push(&s.readByte, 1);
        }
        if (!TakeWaitingBytes())
            return false;
    }
    bool armed = ArmRead();
    ShowInput();
    return armed;
}

void Win32SerialDevice::ShowInput() {
    System& s = *system_;
    if (!rx_.Empty()) {
        ::SetEvent(s.readEvent.Get());
        return;
    }
    // Reset first, then look: a byte that comes in between sets the event again.
    ::ResetEvent(s.readEvent.Get());
    if (s.readPending && HasOverlappedIoCompleted(&s.readIo))
        ::SetEvent(s.readEvent.Get());
}

std::uint32_t Win32SerialDevice::InFlight() const {
    return static_cast<std::uint32_t>(system_->inFlight.size() - system_->inFlightDone);
}

bool Win32SerialDevice::Pump() {
    System& s = *system_;
    for (;;) {
        if (s.writePending) {
            DWORD moved = 0;
            if (::GetOverlappedResult(s.device.Get(), &s.writeIo, &moved, FALSE) == 0) {
                DWORD error = ::GetLastError();
                if (error == ERROR_IO_INCOMPLETE)
                    return true;
                s.writePending = false;
                s.inFlight.clear();
                s.inFlightDone = 0;
                if (error == ERROR_OPERATION_ABORTED)
                    continue;
                return CallFailed("WriteFile", error);
            }
            s.writePending = false;
            // A write finished short goes on from where it stopped, on a later call
            // when it took nothing at all.
            s.inFlightDone += moved;
            if (moved == 0)
                return true;
        }
        if (s.inFlightDone >= s.inFlight.size()) {
            s.inFlight.clear();
            s.inFlightDone = 0;
            std::size_t length = 0;
            const std::uint8_t* run = tx_.FrontRun(length);
            if (run == nullptr)
                return true;
            length = std::min(length, kWriteChunk);
            s.inFlight.assign(run, run + length);
            tx_.Drop(length);
        }
        s.writeIo = ::OVERLAPPED{};
        s.writeIo.hEvent = s.writeEvent.Get();
        const DWORD size = InFlight();
        if (::WriteFile(s.device.Get(), s.inFlight.data() + s.inFlightDone, size, nullptr,
                        &s.writeIo) == 0) {
            DWORD error = ::GetLastError();
            if (error != ERROR_IO_PENDING) {
                s.inFlight.clear();
                s.inFlightDone = 0;
                return CallFailed("WriteFile", error);
            }
        }
        s.writePending = true;  // looked at again at the top
    }
}

bool Win32SerialDevice::SetupComm(std::uint32_t rxSize, std::uint32_t txSize) {
    if (!Usable())
        return false;
    if (rxSize == 0 || txSize == 0)
        return Fail(ERROR_INVALID_PARAMETER);
    Pump();
    // The driver's own buffers are a wish it may ignore; the queues here have the sizes.
    ::SetupComm(system_->device.Get(), rxSize, txSize);
    rx_.Reset(rxSize);
    tx_.Reset(txSize);
    return Harvest();
}

bool Win32SerialDevice::GetCommState(DCB& dcb) {
    if (!Usable())
        return false;
    ::DCB d{};
    d.DCBlength = sizeof d;
    if (::GetCommState(system_->device.Get(), &d) == 0)
        return CallFailed("GetCommState", ::GetLastError());
    dcb = FromSystem(d);
    return true;
}

bool Win32SerialDevice::SetCommState(const DCB& dcb) {
    if (!Usable())
        return false;
    ::DCB d{};
    d.DCBlength = sizeof d;
    if (::GetCommState(system_->device.Get(), &d) == 0)
        return CallFailed("GetCommState", ::GetLastError());
    ToSystem(dcb, d);
    if (::SetCommState(system_->device.Get(), &d) == 0)
        return CallFailed("SetCommState", ::GetLastError());
    return true;
}

bool Win32SerialDevice::SetCommTimeouts(const COMMTIMEOUTS& /*timeouts*/) {
    // Reads here always return at once with what has arrived; nothing else is offered.
    return Usable();
}

bool Win32SerialDevice::GetCommMask(std::uint32_t& mask) {
    if (!Usable())
        return false;
    mask = eventMask_;
    return true;
}

bool Win32SerialDevice::SetCommMask(std::uint32_t mask) {
    if (!Usable())
        return false;
    eventMask_ = mask;
    return true;
}

bool Win32SerialDevice::WaitCommEvent(std::uint32_t& events) {
    std::uint32_t errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(errors, &stat))
        return false;
    std::uint32_t now = (stat.cbInQue > 0 ? EV_RXCHAR : 0) | (stat.cbOutQue == 0 ? EV_TXEMPTY : 0);
    events = now & eventMask_;
    if (events == 0)
        return Fail(ERROR_IO_INCOMPLETE);  // would have to wait
    return true;
}

bool Win32SerialDevice::LineCall(const char* call, bool done) {
    if (done)
        return true;
    DWORD error = ::GetLastError();
    if (error == ERROR_NOT_SUPPORTED)
        return true;  // no modem lines here (a pseudo-terminal under Wine)
    return CallFailed(call, error);
}

bool Win32SerialDevice::EscapeCommFunction(std::uint32_t function) {
    if (!Usable())
        return false;
    return LineCall("EscapeCommFunction", ::EscapeCommFunction(system_->device.Get(), function));
}

bool Win32SerialDevice::SetCommBreak() {
    if (!Usable())
        return false;
    return LineCall("SetCommBreak", ::SetCommBreak(system_->device.Get()));
}

bool Win32SerialDevice::ClearCommBreak() {
    if (!Usable())
        return false;
    return LineCall("ClearCommBreak", ::ClearCommBreak(system_->device.Get()));
}

bool Win32SerialDevice::GetCommModemStatus(std::uint32_t& status) {
    if (!Usable())
        return false;
    DWORD lines = 0;
    status = 0;
    if (::GetCommModemStatus(system_->device.Get(), &lines) == 0)
        return LineCall("GetCommModemStatus", false);
    status = lines;
    return true;
}

bool Win32SerialDevice::ClearCommError(std::uint32_t& errors, COMSTAT* stat) {
    if (!Usable())
        return false;
    if (!Pump() || !Harvest())
        return false;
    DWORD found = 0;
    ::COMSTAT system{};
    if (::ClearCommError(system_->device.Get(), &found, &system) == 0)
        return CallFailed("ClearCommError", ::GetLastError());
    errors = found | pendingErrors_;
    pendingErrors_ = 0;
    if (stat != nullptr) {
        *stat = COMSTAT{};
        stat->fCtsHold = system.fCtsHold != 0;
        stat->fDsrHold = system.fDsrHold != 0;
        stat->fRlsdHold = system.fRlsdHold != 0;
        stat->fXoffHold = system.fXoffHold != 0;
        stat->fXoffSent = system.fXoffSent != 0;
        stat->cbInQue = static_cast<std::uint32_t>(rx_.Size()) + system.cbInQue;
        // The driver counts a pending write as not yet sent, or (under Wine) only what
        // the kernel holds: the larger of the two, never both.
        stat->cbOutQue = static_cast<std::uint32_t>(tx_.Size()) +
                         std::max<std::uint32_t>(system.cbOutQue, InFlight());
    }
    return true;
}

bool Win32SerialDevice::PurgeComm(std::uint32_t flags) {
    if (!Usable())
        return false;
    HANDLE device = system_->device.Get();
    if ((flags & (PURGE_TXABORT | PURGE_TXCLEAR)) != 0) {
        tx_.Clear();
        Pump();  // a write that has finished is on its way and stays
        if (system_->writePending && Settle(true)) {
            system_->inFlight.clear();
            system_->inFlightDone = 0;
        }
        if (::PurgeComm(device, PURGE_TXCLEAR) == 0)
            return CallFailed("PurgeComm", ::GetLastError());
    }
    if ((flags & (PURGE_RXABORT | PURGE_RXCLEAR)) != 0) {
        if (!Harvest())
            return false;
        rx_.Clear();
        if (::PurgeComm(device, PURGE_RXCLEAR) == 0)
            return CallFailed("PurgeComm", ::GetLastError());
        ShowInput();
    }
    return true;
}

bool Win32SerialDevice::Read(std::uint8_t* data, std::uint32_t size, std::uint32_t& got,
                             OVERLAPPED* io) {
    got = 0;
    if (!Usable() || !Harvest())
        return false;
    got = static_cast<std::uint32_t>(rx_.Pop(data, size));
    if (!Harvest())
        return false;
    if (io != nullptr)
        io->InternalHigh = got;
    return true;
}

bool Win32SerialDevice::Write(const std::uint8_t* data, std::uint32_t size, std::uint32_t& queued,
                              OVERLAPPED* io) {
    queued = 0;
    if (!Usable() || !Pump())
        return false;
    queued = static_cast<std::uint32_t>(tx_.Push(data, size));
    if (!Pump())
        return false;
    if (io != nullptr)
        io->InternalHigh = queued;
    return true;
}

bool Win32SerialDevice::TransmitCommChar(std::uint8_t byte) {
    if (!Usable() || !Pump())
        return false;
    if (tx_.Empty() && !system_->writePending &&
        ::TransmitCommChar(system_->device.Get(), static_cast<char>(byte)) != 0) {
        return true;
    }
    if (!tx_.PushFront(byte))
        return Fail(ERROR_IO_INCOMPLETE);
    return Pump();
}

void Win32SerialDevice::WaitInput(unsigned ms) {
    if (!Usable())
        return;
    Clock& clock = GetClock();
    const std::uint64_t end = clock.MonotonicMs() + ms;
    for (;;) {
        if (!Pump() || !Harvest() || !rx_.Empty())
            return;
        std::uint64_t now = clock.MonotonicMs();
        if (now >= end)
            return;
        // While a write is in flight, its end is worth waking for too: more can follow.
        const Waitable sources[] = {InputSource(),
                                    {reinterpret_cast<std::intptr_t>(system_->writeEvent.Get())}};
        int ready = clock.WaitAny(std::span(sources, system_->writePending ? 2 : 1),
                                  static_cast<unsigned>(end - now));
        if (ready != 1)
            return;  // time is up, or input has come
    }
}

}  // namespace platform
