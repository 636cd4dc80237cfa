#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

// What can go wrong on the receiver's side of the line.
enum class FaultKind {
    Resend,      // a resend code (0x81, 0x82, 0x85 or 0x88) instead of the acknowledge
    LostAck,     // an acknowledge of a record never reaches the host
    RecNumber,   // 0x89 and a record number instead of "programmed": send the previous again
    Debug,       // debug reports between "arrived" and "programmed"
    Reset,       // 0x87 instead of "arrived": the host starts the image again
    Fail,        // 0x84: the flash write (or the erase) failed
    BadType,     // 0x86 in the handshake: flash type not supported
    BadCmd,      // 0x83 in answer to the erase command
    Garbage,     // noise bytes before a reply
    Silence,     // the receiver stops answering (for a while or for good)
    Disconnect,  // the device goes away
    Drop,        // a record is acknowledged as usual but never stored
};

// The moments at which a fault can strike; each fault counts its own moments.
enum class FaultEvent {
    Record,     // a good data record arrived
    Erase,      // a good erase command arrived
    Handshake,  // the host answered the hello
    Sentence,   // a command sentence with a good checksum arrived
    Reply,      // the receiver is about to send anything
};

// One fault as given on the command line, e.g. "resend:code=85,every=10",
// "lostack:at=3", "fail:prob=0.01", "silence:on=sentence,at=2,for=5000".
// Triggers: the fault strikes at the at-th moment of its event (counted from 1), then,
// with every=P, at each P-th moment after that, or, with prob=X, at each moment with
// that probability; count=K limits the number of strikes (0: no limit). Without every
// and prob, count consecutive moments from at are hit (default 1).
struct FaultRule {
    FaultKind kind = FaultKind::Resend;
    FaultEvent on = FaultEvent::Record;
    std::uint64_t at = 1;
    std::uint64_t count = 1;
    std::uint64_t every = 0;
    double probability = -1.0;   // below 0: not a probability fault
    std::uint8_t code = 0x81;    // Resend: the code to send
    int words = 2;               // Debug: debug reports per record
    int garbageBytes = 4;        // Garbage: how many
    std::uint64_t forMs = 0;     // Silence: how long; 0 is for good
    bool dropArrived = true;     // LostAck: lose the "arrived" acknowledge
    bool dropProgrammed = true;  // LostAck: lose the "programmed" acknowledge

    // Parses the text form; on failure leaves a reason in error and answers false.
    static bool Parse(std::string_view text, FaultRule& out, std::string& error);
    // The text form, for logs.
    std::string Describe() const;
    // Help text listing kinds and parameters.
    static const char* Syntax();
};

}  // namespace sim
