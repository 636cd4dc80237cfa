#pragma once

#include <string_view>

#include "command/ReceiverIdentity.h"

// What the receiver's replies mean: the version reply identifies the model in the unit
// table, the header replies are kept, the memory reply may change the model.
class ReplyInterpreter {
  public:
    struct FirmwareVersion {
        int major = 0;
        int minor = 0;
    };
    // The identity after a reply.
    struct Result {
        ReceiverIdentity identity;
        // The line counts as a recognised sentence.
        bool recognised = false;
        // The memory reply changed the model: its name is to be shown.
        bool modelChanged = false;
    };

    // line: a checksum-valid reply from its "$" to the last checksum digit; known: what
    // the receiver had said before it.
    static Result Interpret(const ReceiverIdentity& known, std::string_view line);

    // The firmware version in a version field: the first number is the major version, a
    // number after blanks or full stops the minor one ("1.23" is 1 and 23, "3" is 3 and 0).
    static FirmwareVersion ParseVersion(std::string_view field);

  private:
    static void Identify(ReceiverIdentity& identity, std::string_view line);
    // Answers whether the model changed.
    static bool ReadMemory(ReceiverIdentity& identity, std::string_view line);
};
