#include "drivers/CityDatabase.h"

#include <array>
#include <cstdio>

#include "platform/FileStatus.h"

namespace CityDatabase {

namespace {

struct Known {
    int type;
    std::string_view header;
    std::string_view file;
};

// In the order the receiver's header is compared with them.
constexpr std::array<Known, 4> kKnown{{
    {4, ",    GPS 7K1    ,   WORLDWIDE   ,    CITIES     ", "gps7k1wo.bin"},
    {1, ",    GPS 7K2    ,   AMERICAS    ,CITIES-NAVAIDS ", "gps7k2am.bin"},
    {3, ",    GPS 7K2    ,ASIA-AUSTRALIA ,CITIES-NAVAIDS ", "gps7k2as.bin"},
    {2, ",    GPS 7K2    , EUROPE-AFRICA ,CITIES-NAVAIDS ", "gps7k2eu.bin"},
}};

static_assert(kKnown[0].header.size() == kHeaderLength &&
              kKnown[1].header.size() == kHeaderLength &&
              kKnown[2].header.size() == kHeaderLength && kKnown[3].header.size() == kHeaderLength);

// Where the header starts in the receiver's reply.
constexpr std::size_t kReplyHeaderStart = 3;
constexpr unsigned char kErasedByte = 0xFF;

const Known* Find(int type) {
    for (const Known& known : kKnown) {
        if (known.type == type)
            return &known;
    }
    return nullptr;
}

}  // namespace

int TypeFromReply(const std::string& poiHeader) {
    if (poiHeader.size() < 2 || static_cast<unsigned char>(poiHeader[1]) == kErasedByte)
        return kNone;
    const std::string_view reply = poiHeader;
    const std::string_view header =
        reply.size() > kReplyHeaderStart ? reply.substr(kReplyHeaderStart, kHeaderLength) : "";
    for (const Known& known : kKnown) {
        if (header == known.header)
            return known.type;
    }
    return kCustom;
}

std::string_view Header(int databaseType) {
    const Known* known = Find(databaseType);
    return known != nullptr ? known->header : std::string_view();
}

std::string_view BuiltInFile(int databaseType) {
    const Known* known = Find(databaseType);
    return known != nullptr ? known->file : std::string_view();
}

bool ImageMatches(const std::string& path, int databaseType) {
    // A FIFO would hold the open for ever.
    if (!platform::StatusOf(path).IsRegular())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::array<char, kHeaderLength> bytes{};
    const bool read = std::fseek(file, kImageHeaderOffset, SEEK_SET) == 0 &&
                      std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (databaseType == kCustom)
        return true;
    // A receiver without a database takes the worldwide one.
    const std::string_view expected = Header(databaseType == kNone ? kWorldwide : databaseType);
    return read && !expected.empty() && std::string_view(bytes.data(), bytes.size()) == expected;
}

}  // namespace CityDatabase
