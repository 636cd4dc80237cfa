#include "image/SRecordCheck.h"

#include <algorithm>
#include <array>

#include "image/SRecordLine.h"

namespace {

// Address bytes per record type; 0: no such type.
constexpr std::array<std::size_t, 10> kAddressBytes = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

}  // namespace

bool SRecordCheck::Fail(const char* fault) {
    fault_ = fault;
    return false;
}

void SRecordCheck::AddData(std::uint32_t address, std::size_t bytes) {
    if (bytes == 0)
        return;
    const std::uint64_t last = std::uint64_t{address} + bytes - 1;
    lowest_ = dataBytes_ == 0 ? address : std::min<std::uint64_t>(lowest_, address);
    highest_ = dataBytes_ == 0 ? last : std::max(highest_, last);
    dataBytes_ += bytes;
}

bool SRecordCheck::Add(std::string_view line) {
    ++lineNumber_;
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.empty())
        return true;
    if (ended_)
        return Fail("follows the end record");
    if (line[0] != 'S')
        return Fail("is not an S-record line");
    if (line.size() < 2 || line[1] < '0' || line[1] > '9' || kAddressBytes[line[1] - '0'] == 0)
        return Fail("has an unknown record type");
    const int type = line[1] - '0';
    const std::string_view pairs = line.substr(2);
    if (pairs.size() < 2 || pairs.size() % 2 != 0)
        return Fail("is cut short or has a digit too many");

    // The byte sum is 16 times the sum of the high digits plus that of the low ones;
    // any character that is no digit makes bad negative. No branch per pair: this runs
    // over every character of the image.
    const std::size_t byteCount = pairs.size() / 2;
    const char* digits = pairs.data();
    int bad = 0;
    unsigned highSum = 0;
    unsigned lowSum = 0;
    for (std::size_t i = 0; i < byteCount; ++i) {
        const int high = SRecordLine::HexValue(digits[2 * i]);
        const int low = SRecordLine::HexValue(digits[2 * i + 1]);
        bad |= high | low;
        highSum += static_cast<unsigned>(high);
        lowSum += static_cast<unsigned>(low);
    }
    if (bad < 0)
        return Fail("holds a character that is not a hexadecimal digit");
    const unsigned sum = 16 * highSum + lowSum;
    const std::size_t addressBytes = kAddressBytes[static_cast<std::size_t>(type)];
    const auto count = static_cast<std::size_t>(SRecordLine::HexPair(pairs.data()));
    if (count != byteCount - 1)
        return Fail("has a count that does not match its length");
    if (count < addressBytes + 1)
        return Fail("is too short for its address");
    std::uint32_t address = 0;
    for (std::size_t i = 1; i <= addressBytes; ++i)
        address = (address << 8) | static_cast<std::uint32_t>(SRecordLine::HexPair(digits + 2 * i));
    if ((sum & 0xFF) != 0xFF)
        return Fail("has a wrong checksum");

    switch (type) {
        case 1:
        case 2:
        case 3:
            ++dataLines_;
            AddData(address, count - addressBytes - 1);
            break;
        case 5:
        case 6: {
            const std::uint32_t mask = type == 5 ? 0xFFFF : 0xFFFFFF;
            if (address != (dataLines_ & mask))
                return Fail("has a wrong record count");
            break;
        }
        case 7:
        case 8:
        case 9:
            ended_ = true;
            break;
        default:
            break;
    }
    return true;
}
