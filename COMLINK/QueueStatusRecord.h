#pragma once

#include <cstdint>

// What the queue-status operation fills: seven 32-bit integers, in this order.
struct QueueStatusRecord {
    std::int32_t rxValid;   // always 1
    std::int32_t rxCount;   // bytes waiting in the receive queue
    std::int32_t rxSize;    // receive queue size
    std::int32_t txValid;   // always 1
    std::int32_t txCount;   // bytes not yet sent
    std::int32_t txSize;    // transmit queue size
    std::int32_t blocking;  // QS_BLOCK_SENT | QS_BLOCK_RECEIVED
};

static_assert(sizeof(QueueStatusRecord) == 7 * sizeof(std::int32_t));

// An XOFF has been sent.
inline constexpr std::int32_t QS_BLOCK_SENT = 0x01;
// Sending is held by CTS, DSR or a received XOFF.
inline constexpr std::int32_t QS_BLOCK_RECEIVED = 0x02;
