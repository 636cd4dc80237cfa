#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Checks the lines of a Motorola S-record image before anything of it is sent: every
// line must be whole and exactly as the format defines it, so that a truncated line, a
// line short of a pair, a non-hexadecimal field or a wrong checksum cannot put wrong
// bytes, or no bytes, into flash.
//
// Per line (its line end already taken off; trailing blanks are allowed):
//   - blank, or "S" and a type 0-3 or 5-9, then pairs of hexadecimal digits;
//   - the count pair equals the pairs that follow it, and covers the address field of
//     the type (2, 3 or 4 bytes) and the checksum;
//   - the checksum makes the bytes from the count on add up to 0xFF;
//   - S5/S6 carry the number of S1/S2/S3 lines before them;
//   - nothing but blank lines after an S7/S8/S9 end record.
class SRecordCheck {
  public:
    // Checks the next line; false when it is damaged (then Fault says why).
    bool Add(std::string_view line);

    // Number of the line checked last, from 1.
    std::size_t LineNumber() const { return lineNumber_; }
    // What is wrong with the line, as the end of "line N ..."; nullptr while all is well.
    const char* Fault() const { return fault_; }

    // The data of the S1, S2 and S3 lines checked so far: how many bytes, and the addresses
    // of the lowest and the highest of them (both 0 without data).
    std::uint64_t DataBytes() const { return dataBytes_; }
    std::uint64_t LowestAddress() const { return lowest_; }
    std::uint64_t HighestAddress() const { return highest_; }

  private:
    bool Fail(const char* fault);
    void AddData(std::uint32_t address, std::size_t bytes);

    std::size_t lineNumber_ = 0;
    std::uint32_t dataLines_ = 0;
    std::uint64_t dataBytes_ = 0;
    std::uint64_t lowest_ = 0;
    std::uint64_t highest_ = 0;
    bool ended_ = false;
    const char* fault_ = nullptr;
};
