#pragma once

#include <cstdint>
#include <memory>

#include "COMLINK/CommPort.h"
#include "COMLINK/ZeroAlloc.h"
#include "platform/SerialDevice.h"

// The serial port over the platform's serial device API. The name and the "MS Win32" of
// its status dump name the port model the library was written for; the device behind it
// is whatever the platform's device factory gives for the port index (termios on Linux,
// memory in tests).
//
// Nothing here waits for the line: reads take what the device has received, writes
// queue what fits into the transmit queue. Failures are negative result codes, and
// those the operations record are kept as the last error.
class Win32CommPort : public CommPort {
  public:
    // Opens and configures the port at once unless defer is nonzero. Whether it opened
    // shows in LastError() and in the first device operation that fails.
    Win32CommPort(int portIndex, int rxQueueSize, int txQueueSize, int defer);
    ~Win32CommPort() override;

    int Idle() override;
    int RefreshStatus() override;
    void Configure() override;
    int OpenDevice() override;
    int CloseDevice() override;
    void QueueStatus(QueueStatusRecord& record, int selector) override;
    int SetQueues(int rxSize, int xoffLimit, int txSize) override;
    int SetHandshake(int rxCode, int txCode) override;
    int GetHandshake(int& rxCode, int& txCode) override;
    int BreakControl(int state) override;
    int LineControl(int code, int value) override;
    int SetLine(std::int32_t baud, char parity, int dataBits, int stopBits) override;
    void GetLine(std::int32_t& baud, char& parity, int& dataBits, int& stopBits) override;
    int StatusBlock(LineStatusBlock& block) override;
    int WriteByte(int byte) override;
    int WriteString(const char* text) override;
    int WriteBlock(const void* buffer, int count) override;
    int TransmitChar(int byte) override;
    int ReadByte() override;
    int ReadBlock(void* buffer, int count) override;
    int Purge(int direction, int count) override;
    void DumpStatus(const DumpSink& sink) override;

    // Answers nonzero on success, 0 on failure.
    virtual int SetEventChar(int character);
    virtual int GetEventMask(std::uint32_t& mask);
    virtual int SetEventMask(std::uint32_t mask);
    virtual int WaitEvent(std::uint32_t& mask);
    // 1 = the DTR state, 2 = the RTS state, otherwise modem-status bits (MS_*): 0 or 1.
    virtual int ModemLine(int which);
    // The library's code for the device's last system error.
    virtual int TranslateSystemError();

    void WaitInput(unsigned ms) override;
    platform::Waitable InputSource() const override {
        return device_ != nullptr ? device_->InputSource() : platform::Waitable{};
    }

    // The settings block as it is now (may hold values not yet applied), or nullptr.
    const platform::DCB* Settings() const { return dcb_.get(); }
    bool IsOpen() const { return device_ != nullptr; }

  private:
    // Runs a device call; without a device it fails as on an invalid handle.
    template <typename Call>
    bool Device(Call&& call);
    // ClearCommError, or-ing the error mask into the accumulated bits.
    bool CollectErrors(platform::COMSTAT& stat);
    // SetCommState with the settings block: 0, or the recorded code of the refusal.
    int ApplySettings();

    ZeroPtr<platform::DCB> dcb_;
    ZeroPtr<platform::OVERLAPPED> readIo_;
    ZeroPtr<platform::OVERLAPPED> writeIo_;
    platform::DCB applied_{};                         // the block the device last took
    std::shared_ptr<platform::SerialDevice> device_;  // null until the open succeeds
    std::int32_t rxHandshake_ = 0;
    std::int32_t txHandshake_ = 0;
    std::int32_t rtsState_ = 0;
    std::int32_t dtrState_ = 0;
    std::int16_t breakState_ = 0;
    std::uint32_t errorBits_ = 0;
    std::uint16_t txQueueSize_ = 0;
    std::uint16_t rxQueueSize_ = 0;
    int systemError_ = 0;
    bool deviceLost_ = false;  // the device has gone; reported once as CL_ERR_DEVICE
};
