#include "tools/sample-images/SampleImages.h"

#include <algorithm>
#include <cstdio>

namespace samples {

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

  private:
    std::uint64_t state_;
};

constexpr char kDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned value) {
    out += kDigits[(value >> 4) & 0xF];
    out += kDigits[value & 0xF];
}

// One S-record line of the given type with its checksum.
void AppendLine(std::string& out, char type, std::uint32_t address, unsigned addressBytes,
                const std::uint8_t* data, std::size_t length, const char* lineEnd) {
    unsigned count = static_cast<unsigned>(addressBytes + length + 1);
    unsigned sum = count;
    out += 'S';
    out += type;
    AppendHex(out, count);
    for (unsigned i = addressBytes; i-- > 0;) {
        unsigned byte = (address >> (8 * i)) & 0xFF;
        sum += byte;
        AppendHex(out, byte);
    }
    for (std::size_t i = 0; i < length; ++i) {
        sum += data[i];
        AppendHex(out, data[i]);
    }
    AppendHex(out, ~sum & 0xFF);
    out += lineEnd;
}

// Printable 7-bit text for the parts of a database that must be plain text.
void FillText(Bytes& bytes, std::size_t start, std::size_t length, std::uint64_t seed) {
    Random random(seed ^ 0x7E7Eull);
    std::size_t end = std::min(bytes.size(), start + length);
    for (std::size_t i = start; i < end; ++i)
        bytes[i] = static_cast<std::uint8_t>(0x20 + random.Next() % 0x5F);
}

void Put(Bytes& bytes, std::size_t offset, std::string_view text) {
    if (bytes.size() < offset + text.size())
        bytes.resize(offset + text.size());
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

Bytes RandomBytes(std::size_t count, std::uint64_t seed) {
    Bytes bytes(count);
    Random random(seed);
    std::size_t i = 0;
    while (i < count) {
        std::uint64_t value = random.Next();
        for (int k = 0; k < 8 && i < count; ++k, value >>= 8)
            bytes[i++] = static_cast<std::uint8_t>(value);
    }
    return bytes;
}

std::string ToSRecords(const std::vector<Block>& blocks, const SRecordFormat& format) {
    const char* lineEnd = format.crlf ? "\r\n" : "\n";
    std::size_t perLine = std::clamp<std::size_t>(format.bytesPerLine, 1, 250);
    std::string out;
    std::size_t total = 0;
    for (const Block& block : blocks)
        total += block.bytes.size();
    out.reserve(total * 2 + (total / perLine + blocks.size() + 2) * 16);

    if (format.header) {
        static const std::uint8_t kName[] = {'s', 'a', 'm', 'p', 'l', 'e'};
        AppendLine(out, '0', 0, 2, kName, sizeof kName, lineEnd);
    }
    for (const Block& block : blocks) {
        for (std::size_t offset = 0; offset < block.bytes.size(); offset += perLine) {
            std::size_t length = std::min(perLine, block.bytes.size() - offset);
            AppendLine(out, '3', block.address + static_cast<std::uint32_t>(offset), 4,
                       block.bytes.data() + offset, length, lineEnd);
        }
    }
    if (format.terminator) {
        std::uint32_t entry = blocks.empty() ? 0 : blocks.front().address;
        AppendLine(out, '7', entry, 4, nullptr, 0, lineEnd);
    }
    if (!format.finalLineEnd && !out.empty())
        out.erase(out.size() - std::string_view(lineEnd).size());
    return out;
}

Bytes CodeBytes(std::string_view productCode, unsigned major, unsigned minor, std::size_t size,
                std::uint64_t seed) {
    Bytes bytes = RandomBytes(std::max(size, kMinCodeSize), seed);
    for (std::size_t i = 0; i < 3; ++i) {
        bytes[kVersionOffset + i] =
            i < productCode.size() ? static_cast<std::uint8_t>(productCode[i]) : 0;
    }
    bytes[kVersionOffset + 3] = 0;
    bytes[kVersionOffset + 4] = static_cast<std::uint8_t>(major);
    bytes[kVersionOffset + 5] = static_cast<std::uint8_t>(minor);
    return bytes;
}

std::string CodeImageSRecord(std::string_view productCode, unsigned major, unsigned minor,
                             std::size_t size, std::uint64_t seed, const SRecordFormat& format) {
    Bytes bytes = CodeBytes(productCode, major, minor, size, seed);
    auto split = bytes.begin() + static_cast<std::ptrdiff_t>(kVersionOffset);
    std::vector<Block> blocks{{kCodeLoadAddress, Bytes(bytes.begin(), split)},
                              {kVersionAddress, Bytes(split, bytes.end())}};
    return ToSRecords(blocks, format);
}

Bytes Family2Code(std::size_t size, std::uint64_t seed) {
    Bytes bytes = RandomBytes(size, seed);
    if (size >= kFamily2CodeMarkOffset + 3)
        Put(bytes, kFamily2CodeMarkOffset, "024");
    return bytes;
}

Bytes PoiDatabase(std::size_t size, std::uint64_t seed) {
    Bytes bytes = RandomBytes(size, seed);
    FillText(bytes, kTextStart, kTextLength, seed);
    return bytes;
}

std::string CityHeader(int databaseType) {
    switch (databaseType) {
        case 1:
            return ",    GPS 7K2    ,   AMERICAS    ,CITIES-NAVAIDS ";
        case 2:
            return ",    GPS 7K2    , EUROPE-AFRICA ,CITIES-NAVAIDS ";
        case 3:
            return ",    GPS 7K2    ,ASIA-AUSTRALIA ,CITIES-NAVAIDS ";
        case 4:
            return ",    GPS 7K1    ,   WORLDWIDE   ,    CITIES     ";
        default:
            return {};
    }
}

Bytes CityDatabase(int databaseType, std::size_t size, std::uint64_t seed) {
    Bytes bytes = PoiDatabase(std::max(size, kTextStart + kTextLength), seed);
    Put(bytes, kCityHeaderOffset, CityHeader(databaseType));
    return bytes;
}

std::string MapInfoSection(std::string_view name, std::string_view version) {
    std::string section = "[MAP_INFO]\r\nMAP_NAME=";
    section += name;
    section += "\r\nVERSION=";
    section += version;
    section += "\r\n";
    return section;
}

Bytes MapImage(std::string_view name, std::string_view version, std::size_t infoOffset,
               std::size_t size, std::uint64_t seed) {
    Bytes bytes = RandomBytes(size, seed);
    Put(bytes, infoOffset, MapInfoSection(name, version));
    return bytes;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    return WriteFile(path,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool WriteFile(const std::string& path, std::string_view text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    // An empty view may hold no buffer at all; fwrite must not be given a null pointer.
    bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace samples
