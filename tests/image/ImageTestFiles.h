#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
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

inline std::filesystem::path TestDir() {
    return std::filesystem::current_path();
}

inline std::string WriteText(std::string_view name, std::string_view text) {
    std::string path = (TestDir() / name).string();
    EXPECT_TRUE(samples::WriteFile(path, text));
    return path;
}

inline std::string WriteBytes(std::string_view name, const samples::Bytes& bytes) {
    std::string path = (TestDir() / name).string();
    EXPECT_TRUE(samples::WriteFile(path, bytes));
    return path;
}

struct Record {
    std::uint32_t address;
    samples::Bytes bytes;
};

// Every record of an opened S-record image, read into a buffer of exactly bufferSize
// bytes (a heap block, so that the sanitizer sees any write past it).
inline std::vector<Record> ReadAll(ImageReader& reader, std::size_t capacity,
                                   std::size_t bufferSize) {
    std::vector<Record> records;
    std::vector<std::uint8_t> buffer(bufferSize);
    for (int guard = 0; guard < 10'000'000; ++guard) {
        std::uint32_t address = 0xDEADBEEF;
        int count = reader.ReadRecord(std::span<std::uint8_t>(buffer), capacity, address);
        if (count <= 0)
            return records;
        EXPECT_LE(static_cast<std::size_t>(count), bufferSize);
        records.push_back({address, samples::Bytes(buffer.begin(), buffer.begin() + count)});
    }
    ADD_FAILURE() << "the reader never reached the end";
    return records;
}

inline std::vector<Record> ReadAll(ImageReader& reader, std::size_t capacity) {
    return ReadAll(reader, capacity, ImageReader::MaxRecordLength(capacity));
}

// Address -> byte of records; a byte delivered twice is a failure.
inline std::map<std::uint32_t, std::uint8_t> ByAddress(const std::vector<Record>& records) {
    std::map<std::uint32_t, std::uint8_t> bytes;
    for (const Record& record : records) {
        for (std::size_t i = 0; i < record.bytes.size(); ++i) {
            auto address = static_cast<std::uint32_t>(record.address + i);
            EXPECT_TRUE(bytes.emplace(address, record.bytes[i]).second)
                << "byte at " << std::hex << address << " delivered twice";
        }
    }
    return bytes;
}

inline std::map<std::uint32_t, std::uint8_t> ByAddress(std::uint32_t address,
                                                       const samples::Bytes& data) {
    return ByAddress(std::vector<Record>{{address, data}});
}

// Records laid end to end must give exactly data at address.
inline void ExpectContiguous(const std::vector<Record>& records, std::uint32_t address,
                             const samples::Bytes& data) {
    samples::Bytes joined;
    std::uint32_t next = address;
    for (const Record& record : records) {
        ASSERT_EQ(record.address, next) << "record " << &record - records.data();
        joined.insert(joined.end(), record.bytes.begin(), record.bytes.end());
        next += static_cast<std::uint32_t>(record.bytes.size());
    }
    ASSERT_EQ(joined.size(), data.size());
    EXPECT_TRUE(joined == data);
}

}  // namespace imagetest
