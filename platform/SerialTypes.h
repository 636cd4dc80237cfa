#pragma once

#include <cstdint>

// The data of the serial device API. It keeps the shape of the communications API the
// port object was designed against (settings block, queue status, error bits, purge and
// escape functions), so the port object's own logic reads the same on every backend.
namespace platform {

// Settings block of a device: the fields the port object uses, one member each.
struct DCB {
    std::uint32_t BaudRate;
    std::uint8_t fBinary;
    std::uint8_t fParity;
    std::uint8_t fOutxCtsFlow;
    std::uint8_t fOutxDsrFlow;
    std::uint8_t fDtrControl;  // DTR_CONTROL_*
    std::uint8_t fDsrSensitivity;
    std::uint8_t fTXContinueOnXoff;
    std::uint8_t fOutX;
    std::uint8_t fInX;
    std::uint8_t fErrorChar;
    std::uint8_t fNull;
    std::uint8_t fRtsControl;  // RTS_CONTROL_*
    std::uint8_t fAbortOnError;
    std::uint16_t XonLim;
    std::uint16_t XoffLim;
    std::uint8_t ByteSize;
    std::uint8_t Parity;    // NOPARITY ... SPACEPARITY
    std::uint8_t StopBits;  // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
};

inline constexpr std::uint8_t DTR_CONTROL_DISABLE = 0;
inline constexpr std::uint8_t DTR_CONTROL_ENABLE = 1;
inline constexpr std::uint8_t DTR_CONTROL_HANDSHAKE = 2;
inline constexpr std::uint8_t RTS_CONTROL_DISABLE = 0;
inline constexpr std::uint8_t RTS_CONTROL_ENABLE = 1;
inline constexpr std::uint8_t RTS_CONTROL_HANDSHAKE = 2;
inline constexpr std::uint8_t RTS_CONTROL_TOGGLE = 3;

inline constexpr std::uint8_t NOPARITY = 0;
inline constexpr std::uint8_t ODDPARITY = 1;
inline constexpr std::uint8_t EVENPARITY = 2;
inline constexpr std::uint8_t MARKPARITY = 3;
inline constexpr std::uint8_t SPACEPARITY = 4;

inline constexpr std::uint8_t ONESTOPBIT = 0;
inline constexpr std::uint8_t ONE5STOPBITS = 1;
inline constexpr std::uint8_t TWOSTOPBITS = 2;

// Queue counts and hold flags, as reported together with the line errors.
struct COMSTAT {
    bool fCtsHold;
    bool fDsrHold;
    bool fRlsdHold;
    bool fXoffHold;
    bool fXoffSent;
    bool fEof;
    bool fTxim;
    std::uint32_t cbInQue;   // bytes received and not yet read
    std::uint32_t cbOutQue;  // bytes not yet sent
};

// Line error bits, reported once and then cleared by ClearCommError.
inline constexpr std::uint32_t CE_RXOVER = 0x01;
inline constexpr std::uint32_t CE_OVERRUN = 0x02;
inline constexpr std::uint32_t CE_RXPARITY = 0x04;
inline constexpr std::uint32_t CE_FRAME = 0x08;
inline constexpr std::uint32_t CE_BREAK = 0x10;

// PurgeComm flags.
inline constexpr std::uint32_t PURGE_TXABORT = 0x01;
inline constexpr std::uint32_t PURGE_RXABORT = 0x02;
inline constexpr std::uint32_t PURGE_TXCLEAR = 0x04;
inline constexpr std::uint32_t PURGE_RXCLEAR = 0x08;

// EscapeCommFunction codes.
inline constexpr std::uint32_t SETXOFF = 1;
inline constexpr std::uint32_t SETXON = 2;
inline constexpr std::uint32_t SETRTS = 3;
inline constexpr std::uint32_t CLRRTS = 4;
inline constexpr std::uint32_t SETDTR = 5;
inline constexpr std::uint32_t CLRDTR = 6;
inline constexpr std::uint32_t SETBREAK = 8;
inline constexpr std::uint32_t CLRBREAK = 9;

// Modem status bits (inputs).
inline constexpr std::uint32_t MS_CTS_ON = 0x10;
inline constexpr std::uint32_t MS_DSR_ON = 0x20;
inline constexpr std::uint32_t MS_RING_ON = 0x40;
inline constexpr std::uint32_t MS_RLSD_ON = 0x80;

// Event mask bits.
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;

inline constexpr std::uint32_t MAXDWORD = 0xFFFFFFFFu;

struct COMMTIMEOUTS {
    std::uint32_t ReadIntervalTimeout;
    std::uint32_t ReadTotalTimeoutMultiplier;
    std::uint32_t ReadTotalTimeoutConstant;
    std::uint32_t WriteTotalTimeoutMultiplier;
    std::uint32_t WriteTotalTimeoutConstant;
};

// Record of one transfer. The backends here finish every transfer at once, so the
// record only carries the count of the last transfer made with it.
struct OVERLAPPED {
    std::uint64_t Internal;
    std::uint64_t InternalHigh;  // bytes moved by the last transfer
    std::uint32_t Offset;
    std::uint32_t OffsetHigh;
    void* hEvent;
};

// Legacy communications error values. A device reports these as its last system error
// where they say more than an ordinary system error number (which is positive).
inline constexpr int IE_BADID = -1;
inline constexpr int IE_OPEN = -2;
inline constexpr int IE_NOPEN = -3;
inline constexpr int IE_MEMORY = -4;
inline constexpr int IE_DEFAULT = -5;
inline constexpr int IE_HARDWARE = -10;
inline constexpr int IE_BYTESIZE = -11;
inline constexpr int IE_BAUDRATE = -12;

}  // namespace platform
