#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/sample-images/SampleImages.h"

// The input of the flash loader fuzz target, shared with the seed maker:
//
//   byte 0   the engine's set-up (Setup::From)
//   byte 1   the image size (Setup::From)
//   then     chunks: a header byte (bits 0-5: count of receiver bytes that follow, bits
//            6-7: how long the line is quiet before them, kQuietMs), then those bytes.
namespace loaderfuzz {

constexpr std::array<std::uint64_t, 4> kQuietMs = {0, 100, 1000, 10000};
constexpr std::size_t kMaxChunkBytes = 63;
constexpr std::uint32_t kBinaryLoadAddress = 0xA0000;
// A second image (a database after family-2 code) goes here.
constexpr std::uint32_t kSecondLoadAddress = 0x1A0000;

struct Setup {
    bool recordNumbered = false;
    bool addressCheck = false;
    bool sRecord = false;
    int family = 15;
    std::size_t imageSize = 0;  // data bytes of the image
    std::uint32_t loadAddress = 0;
    // The image file is cut to half its length once the first record is programmed.
    bool truncate = false;
    // A second binary image follows the first (SecondFile), as a database follows code.
    bool secondImage = false;
    std::size_t secondSize = 0;

    static Setup From(std::uint8_t config, std::uint8_t sizeByte) {
        Setup s;
        s.recordNumbered = (config & 1) != 0;
        s.addressCheck = (config & 2) != 0;
        s.sRecord = (config & 4) != 0;
        s.family = (config & 8) != 0 ? 2 : 15;
        if (s.sRecord) {
            s.imageSize = samples::kMinCodeSize + std::size_t{sizeByte} * 8 + ((config >> 4) & 1);
            s.loadAddress = samples::kCodeLoadAddress;
        } else {
            s.imageSize = std::size_t{sizeByte} * 29 + ((config >> 4) & 1);
            s.loadAddress = (config & 0x20) != 0 ? kBinaryLoadAddress : 0;
        }
        s.truncate = (config & 0x40) != 0;
        s.secondImage = (config & 0x80) != 0;
        s.secondSize = std::size_t{sizeByte} * 13 + 1;
        return s;
    }
    std::uint8_t ConfigByte() const {
        const bool odd = imageSize % 2 != 0;
        return static_cast<std::uint8_t>((recordNumbered ? 1 : 0) | (addressCheck ? 2 : 0) |
                                         (sRecord ? 4 : 0) | (family == 2 ? 8 : 0) |
                                         (odd ? 0x10 : 0) |
                                         (loadAddress == kBinaryLoadAddress ? 0x20 : 0) |
                                         (truncate ? 0x40 : 0) | (secondImage ? 0x80 : 0));
    }
    samples::Bytes SecondImageBytes() const { return samples::RandomBytes(secondSize, 12); }
    // The image bytes and the file that carries them.
    samples::Bytes ImageBytes() const {
        return sRecord ? samples::CodeBytes("123", 3, 1, imageSize, 11)
                       : samples::RandomBytes(imageSize, 11);
    }
    std::string ImageFile() const {
        if (sRecord)
            return samples::CodeImageSRecord("123", 3, 1, imageSize, 11);
        const samples::Bytes bytes = ImageBytes();
        return std::string(bytes.begin(), bytes.end());
    }
};

// Appends bytes that arrive after a quiet line of at least quietMs, as chunks.
inline void AppendChunks(std::vector<std::uint8_t>& input, std::uint64_t quietMs,
                         const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t step = 0;
    while (step + 1u < kQuietMs.size() && kQuietMs[step + 1u] <= quietMs)
        ++step;
    do {
        const std::size_t piece = std::min(count, kMaxChunkBytes);
        input.push_back(static_cast<std::uint8_t>(piece | (std::size_t{step} << 6)));
        input.insert(input.end(), bytes, bytes + piece);
        bytes += piece;
        count -= piece;
        step = 0;
    } while (count > 0);
}

}  // namespace loaderfuzz
