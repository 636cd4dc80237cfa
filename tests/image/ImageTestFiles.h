#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "image/ImageReader.h"
#include "tests/support/TempWorkDir.h"
#include "tools/sample-images/SampleImages.h"

namespace imagetest {

// Each test runs in a fresh working directory of its own (see TempWorkDir).
class ImageFiles : public ::testing::Test {
  protected:
    TempWorkDir dir;
};

// Writes a file in the working directory; answers its full path.
template <typename Content>
std::string Write(std::string_view name, const Content& content) {
    std::string path = (std::filesystem::current_path() / name).string();
    EXPECT_TRUE(samples::WriteFile(path, content));
    return path;
}

inline samples::SRecordFormat Lines(std::size_t bytesPerLine) {
    samples::SRecordFormat format;
    format.bytesPerLine = bytesPerLine;
    return format;
}

// S3 lines alone, without S0 and S7.
inline std::string Bare(const std::vector<samples::Block>& blocks) {
    samples::SRecordFormat format;
    format.header = format.terminator = false;
    return samples::ToSRecords(blocks, format);
}

struct Record {
    std::uint32_t address;
    samples::Bytes bytes;
    bool operator==(const Record&) const = default;
};

// Every record of an opened S-record image, read into a buffer of exactly bufferSize
// bytes (a heap block, so that the sanitizer sees any write past it).
inline std::vector<Record> ReadAll(ImageReader& reader, std::size_t capacity,
                                   std::size_t bufferSize = 0) {
    std::vector<Record> records;
    std::vector<std::uint8_t> buffer(bufferSize ? bufferSize
                                                : ImageReader::MaxRecordLength(capacity));
    for (int guard = 0; guard < 10'000'000; ++guard) {
        std::uint32_t address = 0xDEADBEEF;
        int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), capacity, address);
        if (count <= 0)
            return records;
        EXPECT_LE(static_cast<std::size_t>(count), buffer.size());
        records.push_back({address, samples::Bytes(buffer.begin(), buffer.begin() + count)});
    }
    ADD_FAILURE() << "the reader never reached the end";
    return records;
}

// Records laid end to end must give exactly data at address; all but the last are even.
inline void ExpectContiguous(const std::vector<Record>& records, std::uint32_t address,
                             const samples::Bytes& data) {
    samples::Bytes joined;
    for (const Record& record : records) {
        ASSERT_EQ(record.address, address + joined.size()) << "record " << &record - &records[0];
        EXPECT_TRUE(&record == &records.back() || record.bytes.size() % 2 == 0) << record.address;
        joined.insert(joined.end(), record.bytes.begin(), record.bytes.end());
    }
    EXPECT_TRUE(joined == data) << joined.size() << " bytes instead of " << data.size();
}

}  // namespace imagetest
