#pragma once

#include <string_view>

class CGpsUnit;

// What the receiver's replies mean: the version reply identifies the model in the unit
// table, the header replies are kept, the memory reply may change the model.
class ReplyInterpreter {
  public:
    struct FirmwareVersion {
        int major = 0;
        int minor = 0;
    };

    // line: a checksum-valid reply from its "$" to the last checksum digit. Writes what it
    // learns into unit; answers whether the line counts as a recognised sentence.
    static bool Interpret(CGpsUnit& unit, std::string_view line);

    // The firmware version in a version field: the first number is the major version, a
    // number after blanks or full stops the minor one ("1.23" is 1 and 23, "3" is 3 and 0).
    static FirmwareVersion ParseVersion(std::string_view field);

  private:
    static void Identify(CGpsUnit& unit, std::string_view line);
    static void ReadMemory(CGpsUnit& unit, std::string_view line);
};
