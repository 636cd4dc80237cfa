#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "sim/ReceiverIdentities.h"
#include "sim/SimulatedReceiver.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::ReceiverOptions;
using sim::SimulatedReceiver;

// The reply to a command, from "$" to CR LF, from a receiver with these options.
std::string Ask(const ReceiverOptions& options, const std::string& command,
                const std::string& tag) {
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.SendCommand(command);
    return host.NextSentence(tag, 2000);
}

// The line as it is built from its own body: the checksum fits, in upper case, CR LF.
std::string Rebuilt(const std::string& line) {
    return wire::Sentence(line.substr(1, line.rfind('*') - 1));
}

TEST(SentenceMode, VersionReplyOfEveryRowHasItsFieldsInPlace) {
    for (const auto& row : sim::ReceiverIdentities::All()) {
        SCOPED_TRACE(std::string(row.displayName) + " " + std::string(row.productCode));
        ReceiverOptions options;
        options.SetIdentity(row);
        const std::string line = Ask(options, "CMD,VERSION", "$PXRVVER,");
        ASSERT_GE(line.size(), 35u);
        EXPECT_EQ(line.substr(9, 13), std::string(row.productCode) + ",2.05    ,");
        EXPECT_EQ(line.substr(22, 11) == "GPS 7K1/7K2", row.family == 2 || row.family == 3);
        EXPECT_EQ(line, Rebuilt(line));
    }
}

TEST(SentenceMode, IdentityAndReplyTexts) {
    ReceiverOptions options;
    ASSERT_TRUE(options.SetModel("033"));  // by code: the first row with it
    EXPECT_EQ(options.displayName, "Solvanta");
    EXPECT_FALSE(options.SetModel("NoSuchUnit"));
    options.SetModel("Solvanta GPS");
    const auto upToStar = [](const std::string& line) { return line.substr(0, line.find('*')); };
    EXPECT_EQ(upToStar(Ask(options, "CMD,MEMORY", "$PXRVMEM,")), "$PXRVMEM,4096,0,1024");
    EXPECT_EQ(upToStar(Ask(options, "CMD,MPH", "$PXRVMPH,")),
              "$PXRVMPH,MAP,BASE,DEMOMAP,1.00,2400000");
    EXPECT_EQ(Ask(options, "CMD,PIH", "$PXRVPOI,"), "");  // a map unit keeps no POI header

    ASSERT_TRUE(options.SetModel("GPS7K1/7K2"));
    // The database header from the fourth character after the tag on.
    EXPECT_EQ(Ask(options, "CMD,PIH", "$PXRVPOI,").substr(9 + 3, 48),
              ReceiverOptions::DatabaseHeader("WORLDWIDE"));
    options.poiHeader = ReceiverOptions::NoDatabaseReply();
    const std::string erased = Ask(options, "CMD,PIH", "$PXRVPOI,");
    ASSERT_GT(erased.size(), 11u);
    EXPECT_EQ(static_cast<unsigned char>(erased[10]), 0xFF);
    EXPECT_EQ(erased, Rebuilt(erased));

    options.SetModel("023");
    options.modelText = "GPS 7K3";  // a "023" unit that must not match
    options.firmware = "12.345";
    EXPECT_EQ(Ask(options, "CMD,VERSION", "$PXRVVER,").substr(9, 24), "023,12.345  ,GPS 7K3    ");
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
    char folded[8];
    std::snprintf(folded, sizeof folded, "*%02lx\r\n",
                  std::stoul(plain.substr(plain.size() - 4, 2), nullptr, 16) ^ 0x24);
    EXPECT_EQ(line, plain.substr(0, plain.size() - 5) + folded);

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
    const std::string reply = wire::Sentence(receiver.VersionBody());
    EXPECT_NE(text.find(reply), std::string::npos) << text;
    EXPECT_NE(text.find("$GPGGA,"), std::string::npos);
    EXPECT_NE(text.find("$GPRMC,"), std::string::npos);
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
    host.Send(0x00);
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

TEST(SentenceMode, LoaderModeFollowsFamilyAndCommand) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Pathwick", "CMD,DBUPLOAD", false},       {"Pathwick", "CMD,PIUPLOAD", false},
        {"Solvanta GPS", "CMD,MPUPLOAD,1", false}, {"Solvanta GPS", "CMD,MPUPLOAD,2", true},
        {"Solvanta GPS", "CMD,DBUPLOAD", false},   {"MAP7K3", "CMD,MPUPLOAD,1", true},
        {"Pathwick Topo", "CMD,MPUPLOAD,2", true}, {"GPS7K1/7K2", "CMD,DBUPLOAD", false},
    };
    for (const auto& [model, command, record] : cases) {
        SCOPED_TRACE(std::string(model) + " " + command);
        ReceiverOptions options;
        ASSERT_TRUE(options.SetModel(model));
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand(command);
        host.Run(1000);
        EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Loader);
        EXPECT_EQ(receiver.RecordMode(), record);
    }
}

}  // namespace
