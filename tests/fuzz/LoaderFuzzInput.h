#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/sample-images/SampleImages.h"

// The input of the flash loader fuzz target:
//
//   byte 0   the engine's set-up (Setup::From)
//   byte 1   the image size (Setup::From)
//   then     chunks: a header byte (bits 0-5: count of receiver bytes that follow, bits
//            6-7: how long the line is quiet before them, kQuietMs), then those bytes.
namespace loaderfuzz {

constexpr std::array<std::uint64_t, 4> kQuietMs = {0, 100, 1000, 10000};
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
    std::string ImageFile() const {
        if (sRecord)
            return samples::CodeImageSRecord("123", 3, 1, imageSize, 11);
        const samples::Bytes bytes = samples::RandomBytes(imageSize, 11);
        return std::string(bytes.begin(), bytes.end());
    }
};

}  // namespace loaderfuzz
