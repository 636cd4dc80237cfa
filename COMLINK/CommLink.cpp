#include "COMLINK/CommLink.h"

#include "COMLINK/HandshakeSettings.h"
#include "COMLINK/LineSettings.h"
#include "platform/Clock.h"

CommLink::CommLink(CommPort& port) : port_(port) {
    // On a port that did not open, the link has no settings objects and its operations
    // fail on the port.
    if (port_.LastError() != 0)
        return;
    line_ = std::make_unique<LineSettings>(this);
    line_->Set(9600, 'N', 8, 1);
    handshake_ = std::make_unique<HandshakeSettings>(*this);
    port_.SetHandshake(0, 0);
}

CommLink::~CommLink() {
    if (handshake_ != nullptr) {
        handshake_->Restore();
        handshake_.reset();
    }
    // Destroying the line settings puts the saved ones back.
    line_.reset();
}

int CommLink::ReadByteTimed(int ms) {
    platform::Clock& clock = platform::GetClock();
    const std::uint64_t start = clock.MonotonicMs();
    const std::uint64_t end = start + static_cast<std::uint64_t>(ms > 0 ? ms : 0);
    int byte = port_.ReadByte();
    if (byte >= 0)
        return byte;
    for (;;) {
        const std::uint64_t now = clock.MonotonicMs();
        if (now >= end)
            return CL_ERR_TIMEOUT;
        int idle = port_.Idle();
        if (idle < 0)
            return idle;
        // Sleeps on the device until input comes, instead of spinning on the clock.
        port_.WaitInput(static_cast<unsigned>(end - now));
        byte = port_.ReadByte();
        if (byte >= 0)
            return byte;
    }
}

int CommLink::SendByte(int byte) {
    return port_.WriteByte(byte);
}

int CommLink::Write(const void* buffer, int count) {
    if (buffer == nullptr)
        return 0;
    return port_.WriteBlock(buffer, count);
}

int CommLink::RxCount() {
    QueueStatusRecord record{};
    port_.QueueStatus(record, 1);
    return record.rxCount;
}

int CommLink::TxCount() {
    QueueStatusRecord record{};
    port_.QueueStatus(record, 2);
    return record.txCount;
}

int CommLink::DiscardInput(int count) {
    return port_.Purge(PURGE_RECEIVE, count);
}

int CommLink::DiscardOutput() {
    port_.Purge(PURGE_TRANSMIT, 0);
    return 0;
}

int CommLink::SetTxQueueSize(int size) {
    return port_.SetQueues(0, 0, size);
}

int CommLink::LineErrors(unsigned short& summary) {
    int pending = port_.TakeLastError();
    summary = 0;
    if (pending != 0)
        return pending;
    if (handshake_ == nullptr)
        return CL_ERR_GENERAL;
    handshake_->Refresh();
    if (handshake_->ParityError() != 0)
        summary |= 0x01;
    if (handshake_->FramingError() != 0)
        summary |= 0x02;
    if (handshake_->ReceiveOverflow() != 0)
        summary |= 0x04;
    if (handshake_->Overrun() != 0)
        summary |= 0x08;
    if (handshake_->BreakReceived() != 0)
        summary |= 0x10;
    return 0;
}
