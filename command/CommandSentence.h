#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The text sentences of the receiver's command dialect: "$PXRV" + command + "*hh" CR LF
// going out, "$...*hh" lines coming back, both with the NMEA exclusive-or checksum.
class CommandSentence {
  public:
    static constexpr std::string_view kTag = "$PXRV";

    // Checksum of an outgoing sentence: the tag letters after "$", then the command text.
    static std::uint8_t Checksum(std::string_view command);
    // "*hh" with upper-case digits, carriage return and line feed.
    static std::string Trailer(std::string_view command);
    // The whole outgoing sentence, as it goes on the wire.
    static std::string Encode(std::string_view command);

    // A received line from its "$" up to the carriage return (not included). Valid when it
    // ends in "*hh" whose value is the exclusive-or of the characters between "$" and "*",
    // or that value with 0x24 folded in (receivers that count the "$" too).
    static bool IsValidReply(std::string_view line);
};
