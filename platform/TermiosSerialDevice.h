#pragma once

#include <termios.h>
#include <cstdint>
#include <string>

#include "platform/ByteRing.h"
#include "platform/SerialDevice.h"

namespace platform {

// A serial device through POSIX termios: real ports, USB serial adapters and
// pseudo-terminals. Opened non-blocking, raw, with CLOCAL and exclusively (TIOCEXCL plus
// an advisory lock), with low latency where the driver offers it. What the kernel does
// not take at once waits in a transmit queue of the port's size here and is pushed out on
// later calls, so no call ever blocks. The terminal settings found at open are put back at
// close. A device that is no terminal, or is the terminal this program runs in, is
// refused before anything about it changes. Failing system calls are told to
// SerialDiagnostics. A device that has gone (unplugged adapter, pseudo-terminal without
// its other end) is reported there once; from then on every call fails with IE_HARDWARE
// until it is closed.
class TermiosSerialDevice : public SerialDevice {
  public:
    static constexpr std::uint32_t kDefaultQueueSize = 4096;

    explicit TermiosSerialDevice(std::string path);
    ~TermiosSerialDevice() override;
    TermiosSerialDevice(const TermiosSerialDevice&) = delete;
    TermiosSerialDevice& operator=(const TermiosSerialDevice&) = delete;

    const std::string& Path() const { return path_; }

    bool Open() override;
    bool Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool SetupComm(std::uint32_t rxSize, std::uint32_t txSize) override;
    bool GetCommState(DCB& dcb) override;
    bool SetCommState(const DCB& dcb) override;
    bool SetCommTimeouts(const COMMTIMEOUTS& timeouts) override;
    bool GetCommMask(std::uint32_t& mask) override;
    bool SetCommMask(std::uint32_t mask) override;
    bool WaitCommEvent(std::uint32_t& events) override;
    bool EscapeCommFunction(std::uint32_t function) override;
    bool SetCommBreak() override;
    bool ClearCommBreak() override;
    bool GetCommModemStatus(std::uint32_t& status) override;
    bool ClearCommError(std::uint32_t& errors, COMSTAT* stat) override;
    bool PurgeComm(std::uint32_t flags) override;
    bool Read(std::uint8_t* data, std::uint32_t size, std::uint32_t& got, OVERLAPPED* io) override;
    bool Write(const std::uint8_t* data, std::uint32_t size, std::uint32_t& queued,
               OVERLAPPED* io) override;
    bool TransmitCommChar(std::uint8_t byte) override;
    int LastSystemError() const override { return lastError_; }
    void WaitInput(unsigned ms) override;
    Waitable InputSource() const override { return fd_ >= 0 ? Waitable{fd_} : Waitable{}; }

    // Speeds this backend can set (the termios speed table).
    static bool SpeedSupported(std::uint32_t baud);

  private:
    bool Fail(int systemError);
    // A system call failed: told to the diagnostics, and a vanished device noticed.
    bool CallFailed(const char* call, int error);
    // Open and not gone; otherwise fails with EBADF or IE_HARDWARE.
    bool Usable();
    // Whether the device takes the speed on the settings it had (to name an EINVAL).
    bool SpeedAccepted(const termios& before, speed_t speed);
    void AskLowLatency();
    void RestoreLowLatency();
    // Drops output the kernel has not sent; false when the flush failed.
    bool DropUnsentOutput();
    // Pushes queued output into the kernel as far as it takes it; false on a device error.
    bool Pump();
    // Runs a modem-line or break ioctl; devices without modem lines (pseudo-terminals)
    // count as success.
    bool LineIoctl(unsigned long request, int bits);
    bool ReadModemStatus(std::uint32_t& status);
    std::uint32_t TakeCounterErrors();
    void PermissionHint() const;

    std::string path_;
    int fd_ = -1;
    int lastError_ = 0;
    bool gone_ = false;
    bool lowLatencySet_ = false;
    int serialFlags_ = 0;  // the driver's flags before low latency was asked for
    termios original_{};
    DCB state_{};
    COMMTIMEOUTS timeouts_{};
    std::uint32_t eventMask_ = 0;
    std::uint32_t rxSize_ = kDefaultQueueSize;
    ByteRing tx_;
    bool haveCounters_ = false;
    // Error counters of the driver at the last look (frame, overrun, parity, break, overflow).
    int counters_[5] = {0, 0, 0, 0, 0};
};

}  // namespace platform
