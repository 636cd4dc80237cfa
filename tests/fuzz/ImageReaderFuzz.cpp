// An image file of any content (S-record text or binary, told apart by the reader):
// opened, checked quietly, then read record by record to its end at the capacity the
// engine uses and at a small one. Nothing is written past a buffer, a record never runs
// past the longest one its capacity allows, and the reader always comes to an end.
#include <array>
#include <cstdlib>
#include <vector>

#include "image/ImageReader.h"
#include "image/ValidationContext.h"
#include "loader/FlashLoader.h"
#include "tests/fuzz/FuzzWorkDir.h"

namespace {

// Reads every record through a buffer of exactly `room` bytes; answers the bytes read.
std::uint64_t ReadAll(ImageReader& reader, std::size_t capacity, std::size_t room,
                      std::uint64_t fileSize) {
    std::vector<std::uint8_t> buffer(room);
    std::uint32_t address = 0;
    std::uint64_t total = 0;
    // Every record but the last takes at least one byte of the file.
    for (std::uint64_t records = 0; records <= fileSize + 1; ++records) {
        const int count = reader.ReadRecord(buffer, capacity, address);
        if (count <= 0)
            return total;
        if (static_cast<std::size_t>(count) > room ||
            static_cast<std::size_t>(count) > ImageReader::MaxRecordLength(capacity))
            std::abort();
        total += static_cast<std::uint64_t>(count);
        if (!reader.isSRecord)
            address += static_cast<std::uint32_t>(count);
    }
    std::abort();  // the reader never ended
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzwork::WriteFile("image", data, size);
    ImageReader reader;
    if (!reader.Open("image"))
        return 0;
    // Every check the drivers make, quietly (no dialog); a check must leave the image
    // to be read from its first record.
    for (int kind = 0; kind <= 3; ++kind)
        reader.Validate(kind, true, {});

    const std::uint64_t large =
        ReadAll(reader, FlashLoader::kRecordCapacity, FlashLoader::kMaxRecordData, size);
    if (reader.ReadFailed())
        std::abort();  // the file did not change
    if (!reader.isSRecord && large != size)
        std::abort();  // a binary image is the file, every byte of it

    // Again from the start, through a buffer smaller than a line: the same bytes.
    if (!reader.Open("image"))
        std::abort();
    const std::uint64_t small = ReadAll(reader, 16, 16, size);
    if (small != large || reader.ReadFailed())
        std::abort();
    return 0;
}
