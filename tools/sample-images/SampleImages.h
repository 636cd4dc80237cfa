#pragma once

// Sample images for tests and demonstrations, all deterministic: the same arguments and
// seed give the same bytes on every machine.
//
//   auto code = samples::CodeBytes("024", 3, 16, 64 * 1024, 7);
//   samples::WriteFile("code.hex", samples::CodeImageSRecord("024", 3, 16, 64 * 1024, 7));
//   samples::WriteFile("map.img", samples::MapImage("LAKES", "1.2", 4000, 100000, 7));

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace samples {

using Bytes = std::vector<std::uint8_t>;

// Where program code of the S-record families lives, and its version line.
constexpr std::uint32_t kCodeLoadAddress = 0x2D004000;
constexpr std::uint32_t kVersionAddress = 0x2D004E00;
constexpr std::size_t kVersionOffset = kVersionAddress - kCodeLoadAddress;
// The smallest program code that holds its version line.
constexpr std::size_t kMinCodeSize = kVersionOffset + 16;

// Offsets in binary images that the uploader looks at.
constexpr std::size_t kFamily2CodeMarkOffset = 1024;  // "024"
constexpr std::size_t kTextStart = 220;               // 128 bytes of 7-bit text
constexpr std::size_t kTextLength = 128;
constexpr std::size_t kCityHeaderOffset = 223;  // 48-character database header

// count pseudo-random bytes from seed.
Bytes RandomBytes(std::size_t count, std::uint64_t seed);

// One run of bytes at an address.
struct Block {
    std::uint32_t address = 0;
    Bytes bytes;
};

// How ToSRecords writes its lines.
struct SRecordFormat {
    std::size_t bytesPerLine = 32;  // 1 to 250
    bool header = true;             // an S0 line first
    bool terminator = true;         // an S7 line last
    bool crlf = false;              // CR LF line ends instead of LF
    bool finalLineEnd = true;       // a line end after the last line
};

// S3 lines (with correct checksums) for the blocks, in order. A line never spans two
// blocks, so every block begins a line of its own.
std::string ToSRecords(const std::vector<Block>& blocks, const SRecordFormat& format = {});

// Program code of size bytes (at least kMinCodeSize) loaded at kCodeLoadAddress. The
// bytes at kVersionOffset are the version record: the three characters of productCode,
// one byte 0, major, minor.
Bytes CodeBytes(std::string_view productCode, unsigned major, unsigned minor, std::size_t size,
                std::uint64_t seed);
// CodeBytes as S-record text; a line begins at kVersionAddress (the version line).
std::string CodeImageSRecord(std::string_view productCode, unsigned major, unsigned minor,
                             std::size_t size, std::uint64_t seed,
                             const SRecordFormat& format = {});

// Binary program code of family 2: "024" at offset 1024 when size leaves room for it.
Bytes Family2Code(std::size_t size, std::uint64_t seed);

// A POI database: random bytes, but 7-bit text at offsets 220 to 347 (as far as size goes).
Bytes PoiDatabase(std::size_t size, std::uint64_t seed);

// The 48-character header of a built-in city database: type 1 AMERICAS, 2 EUROPE-AFRICA,
// 3 ASIA-AUSTRALIA, 4 WORLDWIDE; anything else gives an empty text.
std::string CityHeader(int databaseType);
// A city database: a POI-like database whose header (CityHeader) is at offset 223. size is
// raised to hold the header.
Bytes CityDatabase(int databaseType, std::size_t size, std::uint64_t seed);

// The map-information section: "[MAP_INFO]", then "MAP_NAME=" and "VERSION=" lines, CR LF.
std::string MapInfoSection(std::string_view name, std::string_view version);
// A base or detail map: random bytes with MapInfoSection at infoOffset. size is raised to
// hold the section.
Bytes MapImage(std::string_view name, std::string_view version, std::size_t infoOffset,
               std::size_t size, std::uint64_t seed);

// Writes bytes or text to a file; false on failure.
bool WriteFile(const std::string& path, const Bytes& bytes);
bool WriteFile(const std::string& path, std::string_view text);

}  // namespace samples
