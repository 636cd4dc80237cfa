#pragma once

// One number space for handshake methods, modem lines and line-error conditions, shared
// by the handshake, line-control and status-block operations.
enum CommSignal : int {
    CS_NONE = 0,
    CS_XONXOFF = 1,
    CS_DTR = 3,
    CS_RTS = 4,
    CS_BREAK = 7,
    CS_CTS = 12,
    CS_DSR = 13,
    CS_RI = 14,
    CS_DCD = 15,
    // Lines this port type lacks: a query answers 0.
    CS_LINE_17 = 17,
    CS_LINE_18 = 18,
    CS_LINE_19 = 19,
    CS_LINE_20 = 20,
    CS_OVERRUN = 25,
    CS_PARITY_ERROR = 26,
    CS_FRAMING_ERROR = 27,
    CS_BREAK_RECEIVED = 28,
    CS_RX_OVERFLOW = 31,
};
