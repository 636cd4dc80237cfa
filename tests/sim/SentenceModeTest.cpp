#include <gtest/gtest.h>

#include "sim/ReceiverIdentities.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::ReceiverOptions;
using sim::SimulatedReceiver;

// The line as it is built from its own body: the checksum fits, in upper case, CR LF.
std::string Rebuilt(const std::string& line) {
    return wire::Sentence(line.substr(1, line.rfind('*') - 1));
}

TEST(SentenceMode, VersionReplyOfEveryRowHasItsFieldsInPlace) {
    for (const auto& row : sim::ReceiverIdentities::All()) {
        SCOPED_TRACE(std::string(row.displayName) + " " + std::string(row.productCode));
        ReceiverOptions options;
        options.SetIdentity(row);
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand("CMD,VERSION");
        const std::string line = host.NextSentence("$PXRVVER,");
        ASSERT_GE(line.size(), 35u);
        EXPECT_EQ(line.substr(9, 13), std::string(row.productCode) + ",2.05    ,");
        EXPECT_EQ(line.substr(22, 11) == "GPS 7K1/7K2", row.family == 2 || row.family == 3);
        EXPECT_EQ(line, Rebuilt(line));
    }
}

TEST(SentenceMode, ChecksumVariantsAndStrictInput) {
    ReceiverOptions options;
    options.checksumFoldsDollar = true;
    options.lowerCaseChecksum = true;
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.SendCommand("CMD,VERSION");
    const std::string line = host.NextSentence("$PXRVVER,");
    const std::string plain = Rebuilt(line);  // folded: the checksum with "$", lower case
    const auto sum = std::stoul(plain.substr(plain.size() - 4, 2), nullptr, 16) ^ '$';
    EXPECT_EQ(line, plain.substr(0, plain.size() - 4) + "0123456789abcdef"[sum >> 4] +
                        "0123456789abcdef"[sum & 15] + "\r\n");

    // The receiver is strict about what it is sent: a wrong checksum or none is ignored.
    host.SendText("$PXRVCMD,VERSION*31\r\n");
    host.SendText("$PXRVCMD,VERSION\r\n");
    host.SendText("$PXRVCMD,VERSION*14\r\n");    // the dollar-folded form
    host.SendText("$" + std::string(300, 'A'));  // an overlong line is dropped
    EXPECT_EQ(host.NextSentence("$PXRVVER,", 2000), "");
    EXPECT_EQ(receiver.Counters().sentencesRejected, 3u);
    // Lower-case digits are fine, and a line may end with LF alone.
    host.SendText("$PXRVCMD,MEMORY*6b\n");
    EXPECT_NE(host.NextSentence("$PXRVMEM,"), "");
}

TEST(SentenceMode, ChatterNeverSplitsAReply) {
    ReceiverOptions options;
    options.timing.chatterMs = 150;  // a chatter sentence takes about 140 ms at 4800
    options.timing.pace = true;
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.Run(140);
    host.SendCommand("CMD,VERSION");  // the reply is due while chatter is on the line
    host.Run(1000);
    const Bytes bytes = host.Drain();
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find(wire::Sentence(receiver.VersionBody())), std::string::npos) << text;
    EXPECT_NE(text.find("$GPGGA,"), std::string::npos);
}

TEST(SentenceMode, LoadCommandMovesToTheLoaderSpeed) {
    ReceiverOptions options;
    options.loaderSpeed = 19200;
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 9600);
    host.SendCommand("CMD,DBUPLOAD");  // at the wrong speed: not understood
    host.Run(500);
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Sentence);
    host.SetBaud(4800);
    host.SendCommand("CMD,DBUPLOAD");
    host.SendCommand("CMD,DBUPLOAD");  // the second one reaches a receiver already switching
    host.Send({0x00});
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Switching);
    host.Run(1000);
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Loader);
    EXPECT_EQ(receiver.LineSpeed(), 19200u);
    host.SetBaud(115200);  // hellos at 4800 and at 115200 come as garbage
    host.Run(1000);
    for (std::uint8_t byte : host.Drain())
        EXPECT_GE(byte, 0xC0);
    host.SetBaud(19200);
    EXPECT_EQ(host.Next(), 0xAA);
}

}  // namespace
