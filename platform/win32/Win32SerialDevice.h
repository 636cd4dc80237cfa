#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ByteRing.h"
#include "platform/SerialDevice.h"

namespace platform {

// A serial device of Windows, \\.\COMn, opened exclusively for overlapped I/O, so that no
// call ever blocks. One read of a single byte is always pending: its event is the input
// source that wakes a waiting loop when a byte arrives, and what arrived is taken into a
// receive queue of the port's size. Output waits in a transmit queue of the port's size
// and leaves through one overlapped write at a time; a write the system finishes short
// is sent on from where it stopped. The settings found at open are put back at close.
// Failing calls are told to SerialDiagnostics with the system's own text. Devices
// without modem lines (ERROR_NOT_SUPPORTED) read all lines as off, which is no failure.
// A device that has gone (an unplugged adapter) is reported once; from then on every
// call fails with IE_HARDWARE until it is closed.
class Win32SerialDevice : public SerialDevice {
  public:
    static constexpr std::uint32_t kDefaultQueueSize = 4096;

    // path: the device's name for CreateFileW, e.g. \\.\COM3.
    explicit Win32SerialDevice(std::string path);
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

    const std::string& Path() const { return path_; }

    bool Open() override;
    bool Close() override;
    bool IsOpen() const override;
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
    Waitable InputSource() const override;

  private:
    struct System;  // the handles and transfer records of the open device

    bool Fail(int systemError);
    // A system call failed: told to the diagnostics, and a vanished device noticed.
    bool CallFailed(const char* call, unsigned long error);
    bool Usable();
    // Takes what has arrived into the receive queue and keeps the one-byte read pending.
    bool Harvest();
    bool TakeWaitingBytes();
    bool ArmRead();
    // Keeps the input event signalled exactly while input waits to be read.
    void ShowInput();
    // Moves queued output into the one write in flight.
    bool Pump();
    // Waits, bounded, for a cancelled transfer; false if it is still running.
    bool Settle(bool write);
    // Runs a modem-line or break call: no modem lines count as success.
    bool LineCall(const char* call, bool done);
    std::uint32_t InFlight() const;

    std::string path_;
    std::unique_ptr<System> system_;
    int lastError_ = 0;
    bool gone_ = false;
    std::uint32_t eventMask_ = 0;
    std::uint32_t pendingErrors_ = 0;  // line errors seen while taking input
    ByteRing rx_;
    ByteRing tx_;
};

}  // namespace platform
