#include "platform/MemorySerialDevice.h"

#include <cerrno>

#include "platform/Clock.h"

namespace platform {

namespace {

std::uint64_t NowMs() {
    return GetClock().MonotonicMs();
}

char ParityLetter(std::uint8_t parity) {
    static constexpr char kLetters[] = {'N', 'O', 'E', 'M', 'S'};
    return parity < 5 ? kLetters[parity] : '?';
}

}  // namespace

MemorySerialDevice::MemorySerialDevice(SerialPeer* peer)
    : peer_(peer), rx_(kDefaultQueueSize), tx_(kDefaultQueueSize) {
    // What a fresh port reports before anyone configured it.
    state_.BaudRate = 9600;
    state_.ByteSize = 8;
    state_.fBinary = 1;
}

bool MemorySerialDevice::Fail(int systemError) {
    lastError_ = systemError;
    return false;
}

bool MemorySerialDevice::Present() const {
    return present_ && (peer_ == nullptr || peer_->Present());
}

bool MemorySerialDevice::Usable(Call call) {
    if (!open_)
        return Fail(EBADF);
    // As the termios device answers once it has noticed the device is gone.
    if (!Present())
        return Fail(IE_HARDWARE);
    auto index = static_cast<std::size_t>(call);
    if (failTimes_[index] > 0) {
        --failTimes_[index];
        return Fail(failErrors_[index]);
    }
    return true;
}

void MemorySerialDevice::FailCall(Call call, int systemError, int times) {
    auto index = static_cast<std::size_t>(call);
    failTimes_[index] = times;
    failErrors_[index] = systemError;
}

bool MemorySerialDevice::Open() {
    if (!Present())
        return Fail(ENOENT);
    if (open_)
        return Fail(EBUSY);
    auto index = static_cast<std::size_t>(Call::Open);
    if (failTimes_[index] > 0) {
        --failTimes_[index];
        return Fail(failErrors_[index]);
    }
    open_ = true;
    ++opens_;
    rx_.Clear();
    tx_.Clear();
    pendingErrors_ = 0;
    lineFreeNs_ = NowMs() * 1000000;
    return true;
}

bool MemorySerialDevice::Close() {
    if (!open_)
        return Fail(EBADF);
    auto index = static_cast<std::size_t>(Call::Close);
    if (failTimes_[index] > 0) {
        --failTimes_[index];
        return Fail(failErrors_[index]);
    }
    open_ = false;
    rx_.Clear();
    tx_.Clear();
    return true;
}

bool MemorySerialDevice::SetupComm(std::uint32_t rxSize, std::uint32_t txSize) {
    if (!Usable(Call::SetupComm))
        return false;
    if (rxSize == 0 || txSize == 0)
        return Fail(EINVAL);
    PumpTx();
    rx_.Reset(rxSize);
    tx_.Reset(txSize);
    return true;
}

bool MemorySerialDevice::GetCommState(DCB& dcb) {
    if (!Usable(Call::GetCommState))
        return false;
    dcb = state_;
    return true;
}

bool MemorySerialDevice::SetCommState(const DCB& dcb) {
    if (!Usable(Call::SetCommState))
        return false;
    if (dcb.BaudRate == 0 || (baudFilter_ && !baudFilter_(dcb.BaudRate))) {
        return Fail(IE_BAUDRATE);
    }
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8)
        return Fail(IE_BYTESIZE);
    if (dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS)
        return Fail(EINVAL);
    if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5)
        return Fail(EINVAL);
    // Bytes already on their way leave at the old rate, the rest at the new one.
    PumpTx();
    state_ = dcb;
    if (!tx_.Empty()) {
        burstStartNs_ = NowMs() * 1000000;
        burstSent_ = 0;
    }
    bool dtr = dcb.fDtrControl != DTR_CONTROL_DISABLE;
    bool rts = dcb.fRtsControl != RTS_CONTROL_DISABLE;
    SetLines(dtr, rts);
    LineParams params = Line();
    history_.push_back(params);
    if (peer_ != nullptr)
        peer_->OnLineParams(params);
    return true;
}

LineParams MemorySerialDevice::Line() const {
    LineParams params;
    params.baud = state_.BaudRate;
    params.dataBits = state_.ByteSize;
    params.parity = ParityLetter(state_.Parity);
    params.stopBits = state_.StopBits == TWOSTOPBITS ? 2 : state_.StopBits == ONE5STOPBITS ? 15 : 1;
    return params;
}

bool MemorySerialDevice::SetCommTimeouts(const COMMTIMEOUTS& timeouts) {
    if (!Usable(Call::SetCommTimeouts))
        return false;
    timeouts_ = timeouts;
    return true;
}

bool MemorySerialDevice::GetCommMask(std::uint32_t& mask) {
    if (!Usable(Call::GetCommMask))
        return false;
    mask = eventMask_;
    return true;
}

bool MemorySerialDevice::SetCommMask(std::uint32_t mask) {
    if (!Usable(Call::SetCommMask))
        return false;
    eventMask_ = mask;
    return true;
}

bool MemorySerialDevice::WaitCommEvent(std::uint32_t& events) {
    if (!Usable(Call::WaitCommEvent))
        return false;
    Service();
    PumpTx();
    std::uint32_t now = (rx_.Empty() ? 0 : EV_RXCHAR) | (tx_.Empty() ? EV_TXEMPTY : 0);
    events = now & eventMask_;
    if (events == 0)
        return Fail(EAGAIN);  // would have to wait
    return true;
}

void MemorySerialDevice::SetLines(bool dtr, bool rts) {
    if (dtr == dtr_ && rts == rts_)
        return;
    dtr_ = dtr;
    rts_ = rts;
    if (peer_ != nullptr)
        peer_->OnModemLines(dtr_, rts_);
}

bool MemorySerialDevice::EscapeCommFunction(std::uint32_t function) {
    if (!Usable(Call::EscapeCommFunction))
        return false;
    switch (function) {
        case SETDTR:
            SetLines(true, rts_);
            return true;
        case CLRDTR:
            SetLines(false, rts_);
            return true;
        case SETRTS:
            SetLines(dtr_, true);
            return true;
        case CLRRTS:
            SetLines(dtr_, false);
            return true;
        case SETBREAK:
            break_ = true;
            return true;
        case CLRBREAK:
            break_ = false;
            return true;
        case SETXON:
        case SETXOFF:
            return true;
        default:
            return Fail(EINVAL);
    }
}

bool MemorySerialDevice::SetCommBreak() {
    if (!Usable(Call::SetCommBreak))
        return false;
    break_ = true;
    return true;
}

bool MemorySerialDevice::ClearCommBreak() {
    if (!Usable(Call::ClearCommBreak))
        return false;
    break_ = false;
    return true;
}

bool MemorySerialDevice::GetCommModemStatus(std::uint32_t& status) {
    if (!Usable(Call::GetCommModemStatus))
        return false;
    status = modemInputs_;
    return true;
}

bool MemorySerialDevice::TxHeld() const {
    return xoffHold_ || (state_.fOutxCtsFlow != 0 && (modemInputs_ & MS_CTS_ON) == 0) ||
           (state_.fOutxDsrFlow != 0 && (modemInputs_ & MS_DSR_ON) == 0);
}

bool MemorySerialDevice::ClearCommError(std::uint32_t& errors, COMSTAT* stat) {
    if (!Usable(Call::ClearCommError))
        return false;
    Service();
    PumpTx();
    errors = pendingErrors_;
    pendingErrors_ = 0;
    if (stat != nullptr) {
        *stat = COMSTAT{};
        stat->fCtsHold = state_.fOutxCtsFlow != 0 && (modemInputs_ & MS_CTS_ON) == 0;
        stat->fDsrHold = state_.fOutxDsrFlow != 0 && (modemInputs_ & MS_DSR_ON) == 0;
        stat->fXoffHold = xoffHold_;
        stat->fXoffSent = xoffSent_;
        stat->cbInQue = static_cast<std::uint32_t>(rx_.Size());
        stat->cbOutQue = static_cast<std::uint32_t>(tx_.Size());
    }
    return true;
}

bool MemorySerialDevice::PurgeComm(std::uint32_t flags) {
    if (!Usable(Call::PurgeComm))
        return false;
    // What the far end has sent by now has arrived, and a receive purge drops it too.
    Service();
    if ((flags & (PURGE_TXABORT | PURGE_TXCLEAR)) != 0)
        tx_.Clear();
    if ((flags & (PURGE_RXABORT | PURGE_RXCLEAR)) != 0)
        rx_.Clear();
    return true;
}

bool MemorySerialDevice::Read(std::uint8_t* data, std::uint32_t size, std::uint32_t& got,
                              OVERLAPPED* io) {
    got = 0;
    if (!Usable(Call::Read))
        return false;
    Service();
    got = static_cast<std::uint32_t>(rx_.Pop(data, size));
    if (io != nullptr)
        io->InternalHigh = got;
    return true;
}

bool MemorySerialDevice::Write(const std::uint8_t* data, std::uint32_t size, std::uint32_t& queued,
                               OVERLAPPED* io) {
    queued = 0;
    if (!Usable(Call::Write))
        return false;
    PumpTx();
    std::uint32_t take = size;
    if (writeLimited_) {
        writeLimited_ = false;
        if (writeLimit_ < take)
            take = writeLimit_;
    }
    if (tx_.Empty())
        StartBurst();
    queued = static_cast<std::uint32_t>(tx_.Push(data, take));
    if (io != nullptr)
        io->InternalHigh = queued;
    PumpTx();
    return true;
}

bool MemorySerialDevice::TransmitCommChar(std::uint8_t byte) {
    if (!Usable(Call::TransmitCommChar))
        return false;
    if (tx_.Empty())
        StartBurst();
    if (!tx_.PushFront(byte))
        return Fail(EAGAIN);
    PumpTx();
    return true;
}

std::size_t MemorySerialDevice::DeliverToHost(const std::uint8_t* data, std::size_t size) {
    std::size_t taken = rx_.Push(data, size);
    if (taken < size)
        pendingErrors_ |= CE_RXOVER;
    return taken;
}

std::vector<std::uint8_t> MemorySerialDevice::TakeSent() {
    std::vector<std::uint8_t> out;
    out.swap(sent_);
    return out;
}

void MemorySerialDevice::Service() {
    if (peer_ == nullptr)
        return;
    fromPeer_.clear();
    peer_->Service(NowMs(), fromPeer_);
    if (!fromPeer_.empty())
        DeliverToHost(fromPeer_.data(), fromPeer_.size());
}

void MemorySerialDevice::SendToPeer(const std::uint8_t* data, std::size_t size,
                                    std::uint64_t nowMs) {
    if (size == 0)
        return;
    if (peer_ != nullptr) {
        peer_->OnHostBytes(data, size, nowMs);
    } else {
        sent_.insert(sent_.end(), data, data + size);
    }
}

std::uint64_t MemorySerialDevice::DepartureNs(std::uint64_t count) const {
    // Ten bits a byte: start, eight data bits (or fewer with parity), stop.
    return burstStartNs_ + count * 10000000000ull / state_.BaudRate;
}

void MemorySerialDevice::StartBurst() {
    std::uint64_t nowNs = NowMs() * 1000000;
    burstStartNs_ = lineFreeNs_ > nowNs ? lineFreeNs_ : nowNs;
    burstSent_ = 0;
}

void MemorySerialDevice::PumpTx() {
    std::uint64_t nowNs = NowMs() * 1000000;
    if (tx_.Empty())
        return;
    if (TxHeld()) {
        // The head byte cannot start before sending is released.
        burstStartNs_ = nowNs;
        burstSent_ = 0;
        return;
    }
    if (!paced_ || state_.BaudRate == 0) {
        std::size_t length = 0;
        while (const std::uint8_t* run = tx_.FrontRun(length)) {
            SendToPeer(run, length, nowNs / 1000000);
            tx_.Drop(length);
        }
        lineFreeNs_ = nowNs;
        return;
    }
    // Hand the bytes over in groups that left within the same millisecond.
    std::uint8_t chunk[256];
    std::size_t inChunk = 0;
    std::uint64_t chunkMs = 0;
    while (!tx_.Empty() && DepartureNs(burstSent_ + 1) <= nowNs) {
        std::uint64_t leftMs = DepartureNs(burstSent_ + 1) / 1000000;
        if (inChunk > 0 && (leftMs != chunkMs || inChunk == sizeof chunk)) {
            SendToPeer(chunk, inChunk, chunkMs);
            inChunk = 0;
        }
        chunkMs = leftMs;
        tx_.Pop(&chunk[inChunk++], 1);
        ++burstSent_;
    }
    SendToPeer(chunk, inChunk, chunkMs);
    if (tx_.Empty())
        lineFreeNs_ = DepartureNs(burstSent_);
}

}  // namespace platform
