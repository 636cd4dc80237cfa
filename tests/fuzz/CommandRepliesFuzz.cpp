// Bytes of any kind from a receiver on the command channel: line framing (PollReplies,
// ParseLine) and the interpretation of the replies (ReplyInterpreter), and the version
// field parser on the raw bytes.
//
// Input: one mode byte, then the bytes. Mode bit 0 set: the bytes are reply bodies, one
// per "\n", each sent as a whole sentence with its correct checksum, so that the
// interpretation is reached without guessing checksums.
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "app/CGpsUnit.h"
#include "command/ReplyInterpreter.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/fuzz/FuzzWorkDir.h"
#include "tests/support/WireBytes.h"

namespace {

// What one poll is handed at most: less than the port's receive queue.
constexpr std::size_t kChunkBytes = 1000;

std::string WithChecksums(std::string_view bodies) {
    std::istringstream lines{std::string(bodies)};
    std::string sentences;
    for (std::string body; std::getline(lines, body);)
        sentences += wire::Sentence(body);
    return sentences;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static platform::VirtualClock clock;
    static platform::ScopedClock clockGuard{clock};
    static platform::MemorySerialBank bank;
    static platform::MemorySerialDevice& com1 = bank.Attach(0);
    static CGpsUnit unit;  // after the bank: the port closes before its device goes
    if (size == 0)
        return 0;

    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string wire = (data[0] & 1) != 0 ? WithChecksums(bytes) : std::string(bytes);

    unit.ForgetReceiver();
    unit.Open(0, 9600, false);
    if (!unit.isOpen)
        std::abort();
    for (std::size_t at = 0; at < wire.size(); at += kChunkBytes) {
        const std::size_t count = std::min(kChunkBytes, wire.size() - at);
        com1.DeliverToHost(reinterpret_cast<const std::uint8_t*>(wire.data() + at), count);
        unit.PollReplies();
        if (unit.lineLen < 0 || unit.lineLen >= static_cast<int>(unit.lineBuf.size()))
            std::abort();
    }
    // What the interpretation keeps stays within its fixed sizes.
    if (unit.poiHeader.size() > CGpsUnit::kHeaderLength ||
        unit.mapHeader.size() > CGpsUnit::kHeaderLength ||
        unit.unitName.size() > CGpsUnit::kUnitNameLength)
        std::abort();
    unit.Close();

    ReplyInterpreter::ParseVersion(bytes);
    return 0;
}
