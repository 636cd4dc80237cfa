#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <string>

// The bytes of an S-record file by address (S1, S2 and S3 data records), for comparing
// what the simulated receiver programmed with the image. Bad lines are skipped.
inline std::map<std::uint32_t, std::uint8_t> SRecordBytes(const std::string& path) {
    std::map<std::uint32_t, std::uint8_t> bytes;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 4 || line[0] != 'S' || line[1] < '1' || line[1] > '3')
            continue;
        std::size_t addressBytes = static_cast<std::size_t>(line[1] - '0') + 1;
        auto byteAt = [&](std::size_t index) {
            return static_cast<std::uint8_t>(
                std::stoul(line.substr(2 + 2 * index, 2), nullptr, 16));
        };
        std::size_t count = byteAt(0);
        if (line.size() < 2 + 2 * (count + 1) || count < addressBytes + 1)
            continue;
        std::uint32_t address = 0;
        for (std::size_t i = 0; i < addressBytes; ++i)
            address = (address << 8) | byteAt(1 + i);
        for (std::size_t i = 1 + addressBytes; i < count; ++i)
            bytes[address++] = byteAt(i);
    }
    return bytes;
}
