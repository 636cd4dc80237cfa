#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

// NMEA 0183 framing as the receiver writes and checks it: "$" body "*" two hex digits.
class NmeaSentence {
  public:
    // Exclusive-or of the body's bytes (what lies between "$" and "*").
    static std::uint8_t Checksum(std::string_view body);
    // "$" body "*HH" CR LF. With the dollar folded in, the digits are the checksum
    // exclusive-or 0x24, as some receivers compute it.
    static std::string Build(std::string_view body, bool foldDollar = false,
                             bool lowerCase = false);
    // Checks a line from "$" up to, not including, the line end; on success body is the
    // text between "$" and "*". Digits in either case; the checksum must be exact.
    static bool Check(std::string_view line, std::string_view& body);
};

}  // namespace sim
