#include "COMLINK/Win32CommPort.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "COMLINK/CommSignal.h"
#include "COMLINK/ParityTable.h"
#include "COMLINK/PortOpenCount.h"
#include "COMLINK/ZeroAlloc.h"
#include "platform/SerialDeviceFactory.h"

using namespace platform;

Win32CommPort::Win32CommPort(int portIndex, int rxQueueSize, int txQueueSize, int defer)
    : CommPort(portIndex) {
    if (defer != 0)
        return;
    dcb_ = ZeroNew<DCB>();
    readIo_ = ZeroNew<OVERLAPPED>();
    writeIo_ = ZeroNew<OVERLAPPED>();
    if (dcb_ == nullptr || readIo_ == nullptr || writeIo_ == nullptr) {
        dcb_.reset();
        readIo_.reset();
        writeIo_.reset();
        Record(CL_ERR_NO_MEMORY);
        return;
    }
    txQueueSize_ = static_cast<std::uint16_t>(txQueueSize);
    rxQueueSize_ = static_cast<std::uint16_t>(rxQueueSize);
    lastError_ = 0;
    rxHandshake_ = 0;
    txHandshake_ = 0;
    rtsState_ = 1;
    dtrState_ = 1;
    breakState_ = 0;
    errorBits_ = 0;
    Configure();
    LineControl(CS_DTR, 1);
    LineControl(CS_RTS, 1);
}

Win32CommPort::~Win32CommPort() {
    readIo_.reset();
    writeIo_.reset();
    if (dcb_ != nullptr && holdsOpenCount_ && PortOpenCount::Get(portIndex_) == 1 &&
        device_ != nullptr) {
        CloseDevice();
    }
    if (device_ != nullptr) {
        // Someone closed the count behind our back; the device still goes.
        device_->Close();
        device_.reset();
    }
    // The settings block goes with its owner; the CommPort part lowers the open count.
}

template <typename Call>
bool Win32CommPort::Device(Call&& call) {
    if (device_ == nullptr) {
        systemError_ = EBADF;
        return false;
    }
    if (call(*device_))
        return true;
    systemError_ = device_->LastSystemError();
    if (systemError_ == IE_HARDWARE && !deviceLost_) {
        // The device has gone (an unplugged adapter): said once, as a device error.
        deviceLost_ = true;
        Record(CL_ERR_DEVICE);
    }
    return false;
}

int Win32CommPort::ApplySettings() {
    if (Device([&](SerialDevice& d) { return d.SetCommState(*dcb_); })) {
        applied_ = *dcb_;
        return 0;
    }
    // The block goes back to what the device has, so that one refused value does not
    // make every later setting fail with it.
    *dcb_ = applied_;
    return Record(TranslateSystemError());
}

bool Win32CommPort::CollectErrors(COMSTAT& stat) {
    stat = COMSTAT{};
    std::uint32_t errors = 0;
    if (!Device([&](SerialDevice& d) { return d.ClearCommError(errors, &stat); })) {
        stat = COMSTAT{};
        return false;
    }
    errorBits_ |= errors;
    return true;
}

int Win32CommPort::Idle() {
    // A wait on a device that has gone ends at once.
    return deviceLost_ ? CL_ERR_DEVICE : 0;
}

int Win32CommPort::RefreshStatus() {
    COMSTAT stat;
    CollectErrors(stat);
    std::uint32_t status = 0;
    Device([&](SerialDevice& d) { return d.GetCommModemStatus(status); });
    return static_cast<int>(status & 0xFF);
}

void Win32CommPort::Configure() {
    if (!PortOpenCount::InRange(portIndex_)) {
        Record(CL_ERR_DEVICE);
        return;
    }
    if (PortOpenCount::Get(portIndex_) != 0) {
        Record(CL_ERR_IN_USE);
        return;
    }
    if (dcb_ == nullptr) {
        Record(CL_ERR_GENERAL);
        return;
    }
    if (OpenDevice() != 0)
        return;
    PortOpenCount::Set(portIndex_, 1);
    holdsOpenCount_ = true;

    Device([&](SerialDevice& d) { return d.SetupComm(rxQueueSize_, txQueueSize_); });
    Device([](SerialDevice& d) { return d.SetCommMask(0); });
    Device([&](SerialDevice& d) { return d.GetCommState(*dcb_); });
    applied_ = *dcb_;
    dcb_->BaudRate = 19200;
    dcb_->ByteSize = 8;
    dcb_->Parity = NOPARITY;
    dcb_->StopBits = ONESTOPBIT;
    dcb_->fOutxCtsFlow = 0;
    dcb_->fOutxDsrFlow = 0;
    dcb_->fDtrControl = DTR_CONTROL_ENABLE;
    dcb_->fRtsControl = RTS_CONTROL_DISABLE;
    dcb_->fBinary = 1;
    dcb_->fNull = 0;
    dcb_->EofChar = 0;
    dcb_->EvtChar = 0;
    dcb_->XonChar = 0x11;
    dcb_->XoffChar = 0x13;
    dcb_->XonLim = static_cast<std::uint16_t>(rxQueueSize_ / 4);
    dcb_->XoffLim = 128;
    // Reads return at once with whatever has arrived.
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
    Device([&](SerialDevice& d) { return d.SetCommTimeouts(timeouts); });
    ApplySettings();
}

int Win32CommPort::OpenDevice() {
    std::shared_ptr<SerialDevice> device = MakeSerialDevice(portIndex_);
    if (device == nullptr) {
        systemError_ = ENOENT;
        return Record(TranslateSystemError());
    }
    if (!device->Open()) {
        systemError_ = device->LastSystemError();
        return Record(TranslateSystemError());
    }
    device_ = std::move(device);
    return 0;
}

int Win32CommPort::CloseDevice() {
    Purge(PURGE_RECEIVE, 0);
    Purge(PURGE_TRANSMIT, 0);
    Device([](SerialDevice& d) { return d.EscapeCommFunction(CLRDTR); });
    Device([](SerialDevice& d) { return d.EscapeCommFunction(CLRRTS); });
    bool closed = Device([](SerialDevice& d) { return d.Close(); });
    device_.reset();
    if (!closed)
        return Record(CL_ERR_CLOSE);
    return 0;
}

void Win32CommPort::QueueStatus(QueueStatusRecord& record, int /*selector*/) {
    COMSTAT stat;
    CollectErrors(stat);
    record.rxValid = 1;
    record.rxCount = static_cast<std::int32_t>(stat.cbInQue);
    record.rxSize = rxQueueSize_;
    record.txValid = 1;
    record.txCount = static_cast<std::int32_t>(stat.cbOutQue);
    record.txSize = txQueueSize_;
    record.blocking = 0;
    if (stat.fXoffSent)
        record.blocking |= QS_BLOCK_SENT;
    if (stat.fCtsHold || stat.fDsrHold || stat.fXoffHold)
        record.blocking |= QS_BLOCK_RECEIVED;
}

int Win32CommPort::SetQueues(int rxSize, int xoffLimit, int txSize) {
    if (dcb_ == nullptr)
        return CL_ERR_GENERAL;
    Purge(PURGE_RECEIVE, 0);
    Purge(PURGE_TRANSMIT, 0);
    if (rxSize != 0)
        rxQueueSize_ = static_cast<std::uint16_t>(rxSize);
    if (txSize != 0)
        txQueueSize_ = static_cast<std::uint16_t>(txSize);
    dcb_->XonLim = static_cast<std::uint16_t>(rxQueueSize_ / 4);
    if (xoffLimit != 0)
        dcb_->XoffLim = static_cast<std::uint16_t>(xoffLimit);
    Device([&](SerialDevice& d) { return d.SetupComm(rxQueueSize_, txQueueSize_); });
    Purge(PURGE_RECEIVE, 0);
    Purge(PURGE_TRANSMIT, 0);
    return ApplySettings();
}

int Win32CommPort::SetHandshake(int rxCode, int txCode) {
    if (dcb_ == nullptr)
        return CL_ERR_GENERAL;
    dcb_->fInX = 0;
    dcb_->fOutX = 0;
    if (dcb_->fRtsControl == RTS_CONTROL_HANDSHAKE)
        dcb_->fRtsControl = RTS_CONTROL_ENABLE;
    if (dcb_->fDtrControl == DTR_CONTROL_HANDSHAKE)
        dcb_->fDtrControl = DTR_CONTROL_ENABLE;
    dcb_->fOutxCtsFlow = 0;
    dcb_->fOutxDsrFlow = 0;
    switch (rxCode) {
        case CS_NONE:
            break;
        case CS_XONXOFF:
            dcb_->fInX = 1;
            break;
        case CS_DTR:
            dcb_->fDtrControl = DTR_CONTROL_HANDSHAKE;
            break;
        case CS_RTS:
            dcb_->fRtsControl = RTS_CONTROL_HANDSHAKE;
            break;
        case CS_DSR:
            return Record(CL_ERR_UNSUPPORTED);
        default:
            Record(CL_ERR_RX_HANDSHAKE);
            return CL_ERR_GENERAL;
    }
    switch (txCode) {
        case CS_NONE:
            break;
        case CS_XONXOFF:
            dcb_->fOutX = 1;
            break;
        case CS_CTS:
            dcb_->fOutxCtsFlow = 1;
            break;
        case CS_DSR:
            dcb_->fOutxDsrFlow = 1;
            break;
        case CS_DCD:
            return Record(CL_ERR_UNSUPPORTED);
        default:
            return Record(CL_ERR_TX_HANDSHAKE);
    }
    if (int result = ApplySettings(); result != 0)
        return result;
    rxHandshake_ = rxCode;
    txHandshake_ = txCode;
    return 0;
}

int Win32CommPort::GetHandshake(int& rxCode, int& txCode) {
    rxCode = rxHandshake_;
    txCode = txHandshake_;
    return 0;
}

int Win32CommPort::BreakControl(int state) {
    if (state < 0)
        return breakState_;
    bool done = state == 1 ? Device([](SerialDevice& d) { return d.SetCommBreak(); })
                           : Device([](SerialDevice& d) { return d.ClearCommBreak(); });
    if (!done)
        return Record(CL_ERR_BREAK);
    breakState_ = static_cast<std::int16_t>(state);
    return breakState_;
}

int Win32CommPort::LineControl(int code, int value) {
    if (code == CS_BREAK)
        return BreakControl(value);
    if ((code == CS_DTR || code == CS_RTS) && value != -1) {
        if (dcb_ == nullptr)
            return CL_ERR_GENERAL;
        bool raise = value != 0;
        std::uint32_t function = 0;
        if (code == CS_DTR) {
            dtrState_ = raise ? 1 : 0;
            dcb_->fDtrControl = raise ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
            function = raise ? SETDTR : CLRDTR;
        } else {
            rtsState_ = raise ? 1 : 0;
            dcb_->fRtsControl = raise ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
            function = raise ? SETRTS : CLRRTS;
        }
        // The block is changed but not applied; the line itself moves at once, so what
        // the device has moves with it.
        applied_.fDtrControl = dcb_->fDtrControl;
        applied_.fRtsControl = dcb_->fRtsControl;
        Device([&](SerialDevice& d) { return d.EscapeCommFunction(function); });
    }
    switch (code) {
        case CS_DTR:
            return ModemLine(1);
        case CS_RTS:
            return ModemLine(2);
        case CS_CTS:
            return ModemLine(static_cast<int>(MS_CTS_ON));
        case CS_DSR:
            return ModemLine(static_cast<int>(MS_DSR_ON));
        case CS_RI:
            return ModemLine(static_cast<int>(MS_RING_ON));
        case CS_DCD:
            return ModemLine(static_cast<int>(MS_RLSD_ON));
        case CS_LINE_17:
        case CS_LINE_18:
        case CS_LINE_19:
        case CS_LINE_20:
            return 0;
        case CS_OVERRUN:
            return (errorBits_ & CE_OVERRUN) != 0 ? 1 : 0;
        case CS_PARITY_ERROR:
            return (errorBits_ & CE_RXPARITY) != 0 ? 1 : 0;
        case CS_FRAMING_ERROR:
            return (errorBits_ & CE_FRAME) != 0 ? 1 : 0;
        case CS_BREAK_RECEIVED:
            return (errorBits_ & CE_BREAK) != 0 ? 1 : 0;
        case CS_RX_OVERFLOW:
            return (errorBits_ & CE_RXOVER) != 0 ? 1 : 0;
        default:
            return 2;
    }
}

int Win32CommPort::SetLine(std::int32_t baud, char parity, int dataBits, int stopBits) {
    if (dcb_ == nullptr)
        return CL_ERR_GENERAL;
    // Each field goes into the block as it passes; what was written before a failed
    // check stays there and reaches the device with the next successful apply.
    const ParityEntry* entry = FindParityLetter(parity);
    if (entry == nullptr)
        return Record(CL_ERR_PARITY);
    dcb_->Parity = entry->value;
    dcb_->BaudRate = static_cast<std::uint32_t>(baud);
    if (dataBits < 4 || dataBits > 8)
        return Record(CL_ERR_DATA_BITS);
    dcb_->ByteSize = static_cast<std::uint8_t>(dataBits);
    if (stopBits < 1 || stopBits > 2)
        return Record(CL_ERR_STOP_BITS);
    if (dataBits == 5) {
        dcb_->StopBits = ONE5STOPBITS;  // what five data bits get, whatever was asked
    } else {
        dcb_->StopBits = stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    }
    return ApplySettings();
}

void Win32CommPort::GetLine(std::int32_t& baud, char& parity, int& dataBits, int& stopBits) {
    if (dcb_ == nullptr)
        return;
    baud = static_cast<std::int32_t>(dcb_->BaudRate);
    dataBits = dcb_->ByteSize;
    stopBits = dcb_->StopBits == TWOSTOPBITS ? 2 : 1;
    const ParityEntry* entry = FindParityValue(dcb_->Parity);
    parity = entry != nullptr ? entry->letter : '\0';
}

int Win32CommPort::StatusBlock(LineStatusBlock& block) {
    if (dcb_ == nullptr)
        return CL_ERR_GENERAL;
    RefreshStatus();
    for (int i = 0; i < 16; ++i) {
        block.SetField(i, LineControl(LineStatusBlock::kOrder[static_cast<std::size_t>(i)], -1));
    }
    // Each error is reported by one block only.
    errorBits_ = 0;
    return 0;
}

int Win32CommPort::WriteByte(int byte) {
    std::uint8_t data = static_cast<std::uint8_t>(byte);
    return WriteBlock(&data, 1) == 1 ? 0 : LastError();
}

int Win32CommPort::WriteString(const char* text) {
    if (text == nullptr)
        return 0;
    return WriteBlock(text, static_cast<int>(std::strlen(text)));
}

int Win32CommPort::WriteBlock(const void* buffer, int count) {
    COMSTAT stat;
    CollectErrors(stat);
    // A device may count bytes it holds itself; the room never goes below nothing.
    std::uint32_t room = txQueueSize_ > stat.cbOutQue ? txQueueSize_ - stat.cbOutQue : 0;
    std::uint32_t wanted = 0;
    if (buffer != nullptr && count > 0) {
        wanted =
            static_cast<std::uint32_t>(count) < room ? static_cast<std::uint32_t>(count) : room;
    }
    std::uint32_t written = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    if (!Device([&](SerialDevice& d) { return d.Write(bytes, wanted, written, writeIo_.get()); })) {
        CollectErrors(stat);
    }
    int result = static_cast<int>(written);
    if (result < count)
        Record(deviceLost_ ? CL_ERR_DEVICE : CL_ERR_SHORT_WRITE);
    return result;
}

int Win32CommPort::TransmitChar(int byte) {
    std::uint8_t data = static_cast<std::uint8_t>(byte);
    if (!Device([&](SerialDevice& d) { return d.TransmitCommChar(data); }))
        return CL_ERR_GENERAL;
    return 0;
}

int Win32CommPort::ReadByte() {
    std::uint8_t data = 0;
    return ReadBlock(&data, 1) == 1 ? data : CL_ERR_TIMEOUT;
}

int Win32CommPort::ReadBlock(void* buffer, int count) {
    COMSTAT stat;
    CollectErrors(stat);
    if (stat.cbInQue == 0 || buffer == nullptr || count <= 0)
        return 0;
    std::uint32_t wanted = static_cast<std::uint32_t>(count) < stat.cbInQue
                               ? static_cast<std::uint32_t>(count)
                               : stat.cbInQue;
    std::uint32_t got = 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    if (!Device([&](SerialDevice& d) { return d.Read(bytes, wanted, got, readIo_.get()); })) {
        CollectErrors(stat);
    }
    return static_cast<int>(got);
}

int Win32CommPort::Purge(int direction, int count) {
    if (direction == PURGE_TRANSMIT) {
        Device([](SerialDevice& d) { return d.PurgeComm(PURGE_TXCLEAR); });
        return 0;
    }
    if (direction != PURGE_RECEIVE)
        return CL_ERR_GENERAL;
    if (count <= 0) {
        Device([](SerialDevice& d) { return d.PurgeComm(PURGE_RXCLEAR); });
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (ReadByte() < 0)
            return 0;
    }
    return CL_ERR_GENERAL;  // the queue did not run empty
}

void Win32CommPort::DumpStatus(const DumpSink& sink) {
    const DCB d = dcb_ != nullptr ? *dcb_ : DCB{};
    auto hex = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)); };
    char line[192];
    auto emit = [&](int length) {
        if (length >= 0 && sink)
            sink(line);
    };
    emit(std::snprintf(line, sizeof line,
                       "Port type: MS Win32  BaudRate: %-6u  ByteSize: %1d  Parity: %1d",
                       static_cast<unsigned>(d.BaudRate), d.ByteSize, d.Parity));
    emit(std::snprintf(line, sizeof line, "StopBits: %1d  fBinary: %1d  fRtsControl: %1d",
                       d.StopBits, d.fBinary, d.fRtsControl));
    emit(std::snprintf(
        line, sizeof line,
        "Parity: %1d  OutCtsFlow: %1d  OutDsrFlow: %1d  DtrControl: %1d  OutX: %1d  InX: %1d",
        d.fParity, d.fOutxCtsFlow, d.fOutxDsrFlow, d.fDtrControl, d.fOutX, d.fInX));
    emit(std::snprintf(line, sizeof line, "Null: %1d  XonChar: %02x  XoffChar: %02x", d.fNull,
                       hex(d.XonChar), hex(d.XoffChar)));
    emit(std::snprintf(line, sizeof line, "XonLim: %-5u XoffLim: %-5u EofChr: %02x  EvtChr: %02x",
                       static_cast<unsigned>(d.XonLim), static_cast<unsigned>(d.XoffLim),
                       hex(d.EofChar), hex(d.EvtChar)));
    QueueStatusRecord record{};
    QueueStatus(record, 7);
    emit(std::snprintf(line, sizeof line,
                       "RX sz/ct: %5d/%-5d  TX sz/ct: %5d/%-5d  BLOCK SENT:%d  BLOCK RECEIVED:%d",
                       static_cast<int>(record.rxSize), static_cast<int>(record.rxCount),
                       static_cast<int>(record.txSize), static_cast<int>(record.txCount),
                       (record.blocking & QS_BLOCK_SENT) != 0 ? 1 : 0,
                       (record.blocking & QS_BLOCK_RECEIVED) != 0 ? 1 : 0));
}

int Win32CommPort::SetEventChar(int character) {
    DCB state{};
    if (!Device([&](SerialDevice& d) { return d.GetCommState(state); }))
        return 0;
    state.EvtChar = static_cast<char>(character);
    if (!Device([&](SerialDevice& d) { return d.SetCommState(state); }))
        return 0;
    if (dcb_ != nullptr)
        dcb_->EvtChar = state.EvtChar;
    return 1;
}

int Win32CommPort::GetEventMask(std::uint32_t& mask) {
    if (!Device([&](SerialDevice& d) { return d.GetCommMask(mask); })) {
        return TranslateSystemError();
    }
    return 0;
}

int Win32CommPort::SetEventMask(std::uint32_t mask) {
    if (!Device([&](SerialDevice& d) { return d.SetCommMask(mask); })) {
        return TranslateSystemError();
    }
    return 0;
}

int Win32CommPort::WaitEvent(std::uint32_t& mask) {
    if (!Device([&](SerialDevice& d) { return d.WaitCommEvent(mask); })) {
        return TranslateSystemError();
    }
    return 0;
}

int Win32CommPort::ModemLine(int which) {
    if (which == 1)
        return dtrState_;
    if (which == 2)
        return rtsState_;
    std::uint32_t status = 0;
    if (!Device([&](SerialDevice& d) { return d.GetCommModemStatus(status); }))
        return 0;
    return (status & static_cast<std::uint32_t>(which)) != 0 ? 1 : 0;
}

void Win32CommPort::WaitInput(unsigned ms) {
    if (device_ != nullptr)
        device_->WaitInput(ms);
    else
        CommPort::WaitInput(ms);
}

int Win32CommPort::TranslateSystemError() {
    switch (systemError_) {
        case EOPNOTSUPP:  // a setting the device cannot honour
            return CL_ERR_UNSUPPORTED;
        case IE_BAUDRATE:
            return CL_ERR_BAUD;
        case IE_BYTESIZE:
            return CL_ERR_DATA_BITS;
        case IE_HARDWARE:
        case IE_NOPEN:
        case IE_BADID:
            return CL_ERR_DEVICE;
        case IE_DEFAULT:
            return CL_ERR_TX_HANDSHAKE;
        case IE_MEMORY:
            return CL_ERR_NO_MEMORY;
        case IE_OPEN:
            return CL_ERR_IN_USE;
        default:
            return CL_ERR_GENERAL;
    }
}
