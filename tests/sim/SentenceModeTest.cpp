#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "sim/ReceiverIdentities.h"
#include "sim/SimulatedReceiver.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::ReceiverOptions;
using sim::SimulatedReceiver;

// Reads the firmware field the way a host does: from position 13 skip to a digit,
// read a number, skip blanks and full stops, read another number.
std::pair<int, int> Firmware(const std::string& line) {
    std::size_t i = 13;
    while (i < line.size() && !std::isdigit(static_cast<unsigned char>(line[i])))
        ++i;
    int major = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])))
        major = major * 10 + (line[i++] - '0');
    while (i < line.size() && (line[i] == ' ' || line[i] == '.'))
        ++i;
    int minor = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])))
        minor = minor * 10 + (line[i++] - '0');
    return {major, minor};
}

// The checksum digits of a received line "$...*hh\r" as a number, and the exclusive-or
// of the characters between "$" and "*".
std::pair<unsigned, unsigned> Checksums(const std::string& line) {
    const std::size_t star = line.rfind('*');
    unsigned sum = 0;
    for (std::size_t i = 1; i < star; ++i)
        sum ^= static_cast<unsigned char>(line[i]);
    return {static_cast<unsigned>(std::stoul(line.substr(star + 1, 2), nullptr, 16)), sum};
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
        ASSERT_GE(line.size(), 33u);
        EXPECT_EQ(line.substr(9, 3), row.productCode);
        EXPECT_EQ(line[12], ',');
        EXPECT_EQ(Firmware(line), std::make_pair(2, 5));
        if (row.family == 2 || row.family == 3) {
            EXPECT_EQ(line.substr(22, 11), "GPS 7K1/7K2");
        } else {
            EXPECT_NE(line.substr(22, 11), "GPS 7K1/7K2");
        }
        EXPECT_EQ(line.back(), '\r');
        const auto [digits, sum] = Checksums(line);
        EXPECT_EQ(digits, sum);
    }
}

TEST(SentenceMode, IdentityByNameOrCodeAndReplyOptions) {
    ReceiverOptions options;
    ASSERT_TRUE(options.SetModel("023"));
    EXPECT_EQ(options.family, 3);
    ASSERT_TRUE(options.SetModel("033"));  // the first row with the code
    EXPECT_EQ(options.displayName, "Solvanta");
    ASSERT_TRUE(options.SetModel("GPS7K1/7K2"));
    EXPECT_EQ(options.productCode, "024");
    EXPECT_FALSE(options.SetModel("NoSuchUnit"));

    options.SetModel("023");
    options.modelText = "GPS 7K3";  // a "023" unit that must not match
    options.firmware = "12.345";
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.SendCommand("CMD,VERSION");
    const std::string line = host.NextSentence("$PXRVVER,");
    EXPECT_EQ(line.substr(22, 11), "GPS 7K3    ");
    EXPECT_EQ(Firmware(line), std::make_pair(12, 345));
}

TEST(SentenceMode, MemoryAndHeaderReplies) {
    ReceiverOptions options;
    options.SetModel("Solvanta GPS");
    {
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand("CMD,MEMORY");
        const std::string memory = host.NextSentence("$PXRVMEM,");
        EXPECT_EQ(memory.substr(0, memory.find('*')), "$PXRVMEM,4096,0,1024");
        host.SendCommand("CMD,MPH");
        const std::string map = host.NextSentence("$PXRVMPH,");
        EXPECT_EQ(map.substr(0, map.find('*')), "$PXRVMPH,MAP,BASE,DEMOMAP,1.00,2400000");
        host.SendCommand("CMD,PIH");  // a map unit keeps no POI header and does not answer
        EXPECT_EQ(host.NextSentence("$PXRVPOI,", 2000), "");
    }
    options.SetModel("024");
    {
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand("CMD,PIH");
        const std::string poi = host.NextSentence("$PXRVPOI,");
        // The database header from the fourth character after the tag on.
        EXPECT_EQ(poi.substr(9 + 3, 48), ReceiverOptions::DatabaseHeader("WORLDWIDE"));
    }
    options.poiHeader = ReceiverOptions::NoDatabaseReply();
    {
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand("CMD,PIH");
        const std::string poi = host.NextSentence("$PXRVPOI,");
        ASSERT_GT(poi.size(), 11u);
        EXPECT_EQ(static_cast<unsigned char>(poi[10]), 0xFF);
        const auto [digits, sum] = Checksums(poi);
        EXPECT_EQ(digits, sum);
    }
}

TEST(SentenceMode, ChecksumVariants) {
    ReceiverOptions options;
    options.checksumFoldsDollar = true;
    options.lowerCaseChecksum = true;
    SimulatedReceiver receiver(options);
    WireHost host(receiver);

    host.SendCommand("CMD,VERSION");
    const std::string line = host.NextSentence("$PXRVVER,");
    const auto [digits, sum] = Checksums(line);
    EXPECT_EQ(digits, sum ^ 0x24u);
    char expected[3];
    std::snprintf(expected, sizeof expected, "%02x", sum ^ 0x24u);
    EXPECT_EQ(line.substr(line.rfind('*') + 1, 2), expected);

    // The receiver is strict about what it is sent: a wrong checksum or none is ignored.
    host.SendText("$PXRVCMD,VERSION*31\r\n");
    host.SendText("$PXRVCMD,VERSION\r\n");
    host.SendText("$PXRVCMD,VERSION*14\r\n");  // the dollar-folded form
    EXPECT_EQ(host.NextSentence("$PXRVVER,", 2000), "");
    EXPECT_EQ(receiver.Counters().sentencesRejected, 3u);
    // Lower-case digits are fine, and a line may end with LF alone.
    host.SendText("$PXRVCMD,MEMORY*6b\n");
    EXPECT_NE(host.NextSentence("$PXRVMEM,"), "");
}

TEST(SentenceMode, OverlongLineIsDroppedAndTheNextOneAnswered) {
    SimulatedReceiver receiver;
    WireHost host(receiver);
    host.SendText("$" + std::string(300, 'A'));
    host.SendText("$PXRVCMD,VERSION*30\r\n");
    EXPECT_NE(host.NextSentence("$PXRVVER,"), "");
    EXPECT_EQ(receiver.Counters().sentencesAnswered, 1u);
}

TEST(SentenceMode, WrongSpeedGarblesBothWays) {
    ReceiverOptions options;
    options.timing.chatterMs = 200;
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 9600);
    host.SendText("$PXRVCMD,VERSION*30\r\n");
    host.Run(1000);
    const std::vector<std::uint8_t> noise = host.Drain();
    // Chatter went out, read at twice its speed: two garbage bytes for each one sent.
    ASSERT_FALSE(noise.empty());
    for (std::uint8_t byte : noise) {
        EXPECT_GE(byte, 0xC0);
    }
    EXPECT_EQ(receiver.Counters().sentencesAnswered, 0u);
    EXPECT_EQ(noise.size() % 2, 0u);

    host.SetBaud(2400);  // slower: half as many bytes, still garbage
    host.Run(1000);
    for (std::uint8_t byte : host.Drain())
        EXPECT_GE(byte, 0xC0);

    host.SetBaud(4800);
    host.SendCommand("CMD,VERSION");
    EXPECT_NE(host.NextSentence("$PXRVVER,"), "");
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
    const std::vector<std::uint8_t> bytes = host.Drain();
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t at = text.find("$PXRVVER,");
    ASSERT_NE(at, std::string::npos);
    const std::size_t end = text.find('\n', at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(text.substr(at, end - at + 1), WireHost::Sentence(receiver.VersionBody()));
    EXPECT_NE(text.find("$GPGGA,"), std::string::npos);
    EXPECT_NE(text.find("$GPRMC,"), std::string::npos);
}

TEST(SentenceMode, LoadCommandMovesToTheLoaderSpeed) {
    ReceiverOptions options;
    options.loaderSpeed = 19200;
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.SendCommand("CMD,DBUPLOAD");
    host.SendCommand("CMD,DBUPLOAD");  // the second one reaches a receiver already switching
    host.Send(0x00);
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Switching);
    host.Run(1000);
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Loader);
    EXPECT_EQ(receiver.LineSpeed(), 19200u);
    // Still listening at 4800: the hellos come as garbage.
    for (std::uint8_t byte : host.Drain())
        EXPECT_GE(byte, 0xC0);
    host.SetBaud(115200);
    host.Run(1000);
    for (std::uint8_t byte : host.Drain())
        EXPECT_GE(byte, 0xC0);
    host.SetBaud(19200);
    EXPECT_EQ(host.Next(), 0xAA);
    EXPECT_FALSE(receiver.RecordMode());
}

TEST(SentenceMode, LoaderModeFollowsFamilyAndCommand) {
    struct Case {
        const char* model;
        const char* command;
        bool record;
    };
    const Case cases[] = {
        {"Pathwick", "CMD,DBUPLOAD", false},       {"Pathwick", "CMD,PIUPLOAD", false},
        {"Solvanta GPS", "CMD,MPUPLOAD,1", false}, {"Solvanta GPS", "CMD,MPUPLOAD,2", true},
        {"Solvanta GPS", "CMD,DBUPLOAD", false},   {"MAP7K3", "CMD,MPUPLOAD,1", true},
        {"Pathwick Topo", "CMD,MPUPLOAD,2", true}, {"GPS7K1/7K2", "CMD,DBUPLOAD", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.command);
        ReceiverOptions options;
        ASSERT_TRUE(options.SetModel(c.model));
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand(c.command);
        host.Run(1000);
        EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Loader);
        EXPECT_EQ(receiver.RecordMode(), c.record);
    }
    ReceiverOptions options;
    options.SetModel("MAP7K3");
    options.loaderMode = sim::LoaderMode::Address;
    EXPECT_FALSE(SimulatedReceiver(options).RecordModeFor(SimulatedReceiver::LoadKind::DetailMap));
    options.loaderMode = sim::LoaderMode::Record;
    EXPECT_TRUE(SimulatedReceiver(options).RecordModeFor(SimulatedReceiver::LoadKind::Code));
}

TEST(SentenceMode, ExpertModeReceiverStartsInItsLoader) {
    ReceiverOptions options;
    options.startInLoader = true;
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 115200);
    EXPECT_EQ(host.Next(), 0xAA);
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Loader);
    EXPECT_FALSE(receiver.RecordMode());
}

}  // namespace
