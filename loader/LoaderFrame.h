#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The frames of the flash loader protocol. A frame is 0x5B, a big-endian word count,
// that many big-endian 16-bit words, their exclusive-or, and 0x5D.
class LoaderFrame {
  public:
    static constexpr std::uint8_t kOpen = 0x5B;
    static constexpr std::uint8_t kClose = 0x5D;
    // Bytes of a data record around its data: bracket, word count, 4-byte field,
    // checksum, bracket.
    static constexpr std::size_t kRecordOverhead = 10;
    // Offset of the data in a data record.
    static constexpr std::size_t kDataOffset = 7;
    static constexpr std::size_t kEraseCommandSize = 14;
    static constexpr std::array<std::uint8_t, 6> kEndRecord{0x5B, 0x00, 0x00, 0x00, 0x00, 0x5D};

    // Exclusive-or of wordCount big-endian words starting at words.
    static std::uint16_t Checksum(const std::uint8_t* words, std::size_t wordCount);

    // Completes the data record in frame, whose data (dataLength bytes, even) is already
    // at kDataOffset: bracket, word count, field, checksum, bracket. Answers the frame
    // length, dataLength + kRecordOverhead. frame must hold that many bytes.
    static std::size_t CompleteDataRecord(std::uint8_t* frame, std::size_t dataLength,
                                          std::uint32_t field);

    // The erase command for the address range start..end.
    static std::array<std::uint8_t, kEraseCommandSize> EraseCommand(std::uint32_t start,
                                                                    std::uint32_t end);

  private:
    static void PutWord(std::uint8_t* at, std::uint16_t value);
    static void PutLong(std::uint8_t* at, std::uint32_t value);
};
