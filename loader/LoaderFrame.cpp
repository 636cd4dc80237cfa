#include "loader/LoaderFrame.h"

std::uint16_t LoaderFrame::Checksum(const std::uint8_t* words, std::size_t wordCount) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < wordCount; ++i) {
        sum ^= static_cast<std::uint16_t>((words[2 * i] << 8) | words[2 * i + 1]);
    }
    return sum;
}

std::size_t LoaderFrame::CompleteDataRecord(std::uint8_t* frame, std::size_t dataLength,
                                            std::uint32_t field) {
    const std::size_t wordCount = dataLength / 2 + 2;
    frame[0] = kOpen;
    PutWord(frame + 1, static_cast<std::uint16_t>(wordCount));
    PutLong(frame + 3, field);
    PutWord(frame + kDataOffset + dataLength, Checksum(frame + 3, wordCount));
    frame[kDataOffset + dataLength + 2] = kClose;
    return dataLength + kRecordOverhead;
}

std::array<std::uint8_t, LoaderFrame::kEraseCommandSize> LoaderFrame::EraseCommand(
    std::uint32_t start, std::uint32_t end) {
    std::array<std::uint8_t, kEraseCommandSize> frame{};
    frame[0] = kOpen;
    PutWord(&frame[1], 4);
    PutLong(&frame[3], start);
    PutLong(&frame[7], end);
    PutWord(&frame[11], Checksum(&frame[3], 4));
    frame[13] = kClose;
    return frame;
}

void LoaderFrame::PutWord(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void LoaderFrame::PutLong(std::uint8_t* at, std::uint32_t value) {
    PutWord(at, static_cast<std::uint16_t>(value >> 16));
    PutWord(at + 2, static_cast<std::uint16_t>(value));
}
