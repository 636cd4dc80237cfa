#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sim/ReceiverOptions.h"
#include "tests/sim/WireHost.h"

// A receiver waiting in its loader, in the given mode.
inline sim::ReceiverOptions InLoader(bool recordMode = false) {
    sim::ReceiverOptions options;
    options.startInLoader = true;
    options.loaderMode = recordMode ? sim::LoaderMode::Record : sim::LoaderMode::Address;
    return options;
}

// Hello answered, handshake acknowledged, 0x6A sent.
inline void Handshake(WireHost& host) {
    ASSERT_EQ(host.Next(), 0xAA);
    host.Send(0x55);
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(0x6A);
}

// After the handshake in address mode: erase command, the erase, 0x69.
inline void EraseAndStart(WireHost& host, std::uint32_t start, std::uint32_t end,
                          unsigned sectors) {
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(WireHost::Erase(start, end));
    ASSERT_EQ(host.Next(), 0x55);
    for (unsigned i = 0; i < sectors; ++i)
        ASSERT_EQ(host.Next(), 0x8F) << "sector " << i;
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(0x69);
    ASSERT_EQ(host.Next(), 0x55);
}

inline std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
    return data;
}
