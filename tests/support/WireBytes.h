#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// What goes over the receiver's serial line, built from the wire format alone, for tests
// on either side of it: command sentences and flash loader frames.
namespace wire {

// "$" body "*" two upper-case hex digits of the exclusive-or of the body (with twist
// mixed in, to damage it), CR LF.
inline std::string Sentence(const std::string& body, unsigned char twist = 0) {
    unsigned sum = twist;
    for (char c : body)
        sum ^= static_cast<unsigned char>(c);
    static const char* digits = "0123456789ABCDEF";
    return "$" + body + "*" + digits[sum >> 4] + digits[sum & 15] + "\r\n";
}

inline Bytes Be32(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

// 0x5B, word count, the body padded to whole words, the exclusive-or of the words, 0x5D.
inline Bytes Frame(Bytes body) {
    if (body.size() % 2 != 0)
        body.push_back(0);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < body.size(); i += 2)
        sum ^= static_cast<std::uint16_t>(body[i] << 8 | body[i + 1]);
    const std::size_t words = body.size() / 2;
    Bytes frame{0x5B, static_cast<std::uint8_t>(words >> 8), static_cast<std::uint8_t>(words)};
    for (std::uint8_t byte : body)
        frame.push_back(byte);
    frame.push_back(static_cast<std::uint8_t>(sum >> 8));
    frame.push_back(static_cast<std::uint8_t>(sum));
    frame.push_back(0x5D);
    return frame;
}

// A data record: the address (or record number), then the data.
inline Bytes Record(std::uint32_t field, const Bytes& data) {
    Bytes body = Be32(field);
    body.reserve(body.size() + data.size());
    for (std::uint8_t byte : data)
        body.push_back(byte);
    return Frame(body);
}

// The erase command has the shape of a record whose data is the end address.
inline Bytes Erase(std::uint32_t start, std::uint32_t end) {
    return Record(start, Be32(end));
}

inline Bytes EndRecord() {
    return {0x5B, 0, 0, 0, 0, 0x5D};
}

}  // namespace wire
