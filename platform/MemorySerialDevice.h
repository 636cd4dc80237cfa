#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ByteRing.h"
#include "platform/SerialDevice.h"
#include "platform/SerialPeer.h"

namespace platform {

// A serial device in memory, for tests. Receive and transmit queues have the sizes the
// host sets up; what leaves the transmit queue goes to the peer (the simulated receiver),
// at once or paced at the line rate on the platform clock; what the peer sends arrives in
// the receive queue, and what does not fit is lost with a receive overflow error. Line
// errors, modem inputs, short writes and failing calls can be injected.
class MemorySerialDevice : public SerialDevice {
  public:
    // Calls whose failure can be injected.
    enum class Call {
        Open,
        Close,
        SetupComm,
        GetCommState,
        SetCommState,
        SetCommTimeouts,
        GetCommMask,
        SetCommMask,
        WaitCommEvent,
        EscapeCommFunction,
        SetCommBreak,
        ClearCommBreak,
        GetCommModemStatus,
        ClearCommError,
        PurgeComm,
        Read,
        Write,
        TransmitCommChar,
        Count_
    };

    static constexpr std::uint32_t kDefaultQueueSize = 4096;

    explicit MemorySerialDevice(SerialPeer* peer = nullptr);

    // SerialDevice.
    bool Open() override;
    bool Close() override;
    bool IsOpen() const override { return open_; }
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

    // The far end. Not owned; nullptr collects sent bytes for TakeSent().
    void SetPeer(SerialPeer* peer) { peer_ = peer; }
    // Paced: bytes leave the transmit queue at the line rate, ten bits a byte.
    void SetPacing(bool paced) { paced_ = paced; }
    // Errors reported (once) by the next ClearCommError.
    void InjectLineErrors(std::uint32_t ceBits) { pendingErrors_ |= ceBits; }
    // Modem inputs (MS_ bits).
    void SetModemInputs(std::uint32_t msBits) { modemInputs_ = msBits; }
    // Sending held as by a received XOFF, and the "XOFF sent" flag.
    void SetXoffHold(bool hold) { xoffHold_ = hold; }
    void SetXoffSent(bool sent) { xoffSent_ = sent; }
    // The next Write takes at most this many bytes.
    void LimitNextWrite(std::uint32_t bytes) {
        writeLimit_ = bytes;
        writeLimited_ = true;
    }
    // The next `times` calls of this kind fail with systemError.
    void FailCall(Call call, int systemError, int times = 1);
    // Speeds the device accepts (default: any nonzero speed).
    void SetBaudFilter(std::function<bool(std::uint32_t)> accept) {
        baudFilter_ = std::move(accept);
    }
    // False: the device has gone (an unplugged adapter); its calls fail with IE_HARDWARE.
    void SetPresent(bool present) { present_ = present; }
    // The settings the device reports before the host changes them.
    void Preset(const DCB& dcb) { state_ = dcb; }

    // Bytes arriving from the line; answers how many fit (the rest is an overflow).
    std::size_t DeliverToHost(const std::uint8_t* data, std::size_t size);
    // Bytes sent while no peer was attached.
    std::vector<std::uint8_t> TakeSent();

    const DCB& State() const { return state_; }
    LineParams Line() const;
    // Every line setting applied with SetCommState, in order.
    const std::vector<LineParams>& AppliedHistory() const { return history_; }
    bool Dtr() const { return dtr_; }
    bool Rts() const { return rts_; }
    bool BreakOn() const { return break_; }
    std::uint32_t RxQueueSize() const { return static_cast<std::uint32_t>(rx_.Capacity()); }
    std::uint32_t TxQueueSize() const { return static_cast<std::uint32_t>(tx_.Capacity()); }
    std::size_t RxQueued() const { return rx_.Size(); }
    std::size_t TxQueued() const { return tx_.Size(); }
    int OpenCount() const { return opens_; }

  private:
    bool Fail(int systemError);
    // Checks an open, present device and an injected failure of the call.
    bool Usable(Call call);
    bool Present() const;
    bool TxHeld() const;
    void Service();
    void PumpTx();
    void StartBurst();
    // When the count-th byte of the current burst has left.
    std::uint64_t DepartureNs(std::uint64_t count) const;
    void SendToPeer(const std::uint8_t* data, std::size_t size, std::uint64_t nowMs);
    void SetLines(bool dtr, bool rts);

    SerialPeer* peer_;
    bool open_ = false;
    bool present_ = true;
    bool paced_ = false;
    int lastError_ = 0;
    int opens_ = 0;
    DCB state_{};
    COMMTIMEOUTS timeouts_{};
    std::uint32_t eventMask_ = 0;
    ByteRing rx_;
    ByteRing tx_;
    std::uint32_t pendingErrors_ = 0;
    std::uint32_t modemInputs_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    bool break_ = false;
    bool xoffHold_ = false;
    bool xoffSent_ = false;
    bool writeLimited_ = false;
    std::uint32_t writeLimit_ = 0;
    // Paced sending: bytes leave one after another from the start of a burst.
    std::uint64_t burstStartNs_ = 0;
    std::uint64_t burstSent_ = 0;   // bytes of the burst that have left
    std::uint64_t lineFreeNs_ = 0;  // when the last byte sent has left
    std::array<int, static_cast<int>(Call::Count_)> failTimes_{};
    std::array<int, static_cast<int>(Call::Count_)> failErrors_{};
    std::function<bool(std::uint32_t)> baudFilter_;
    std::vector<std::uint8_t> fromPeer_;
    std::vector<std::uint8_t> sent_;
    std::vector<LineParams> history_;
};

}  // namespace platform
