#pragma once

// Result codes of the serial link library. Every operation that can fail answers 0 or
// one of these negative codes.
inline constexpr int CL_OK = 0;
inline constexpr int CL_ERR_GENERAL = -801;       // also every system error without its own code
inline constexpr int CL_ERR_TIMEOUT = -802;       // no byte available
inline constexpr int CL_ERR_UNSUPPORTED = -803;   // operation or option not supported
inline constexpr int CL_ERR_SHORT_WRITE = -805;   // fewer bytes queued than asked
inline constexpr int CL_ERR_BREAK = -827;         // setting or clearing break failed
inline constexpr int CL_ERR_DEVICE = -828;        // device missing, not open or failed
inline constexpr int CL_ERR_CLOSE = -829;         // closing the device failed
inline constexpr int CL_ERR_RX_HANDSHAKE = -830;  // receive handshake code not accepted
inline constexpr int CL_ERR_TX_HANDSHAKE = -832;  // transmit handshake code not accepted
inline constexpr int CL_ERR_NO_MEMORY = -836;     // allocation failed
inline constexpr int CL_ERR_IN_USE = -838;        // port already open
inline constexpr int CL_ERR_BAUD = -839;          // bad baud rate
inline constexpr int CL_ERR_PARITY = -840;        // parity letter not in the table
inline constexpr int CL_ERR_STOP_BITS = -841;     // stop bits not 1 or 2
inline constexpr int CL_ERR_DATA_BITS = -842;     // data bits outside 4..8
