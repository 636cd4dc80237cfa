#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "sim/FaultRule.h"
#include "sim/SimulatedReceiver.h"
#include "tests/sim/LoaderSteps.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::SimulatedReceiver;
using Bytes = std::vector<std::uint8_t>;

sim::ReceiverOptions WithFaults(std::initializer_list<const char*> specs, bool recordMode = false) {
    sim::ReceiverOptions options = InLoader(recordMode);
    for (const char* text : specs) {
        sim::FaultRule spec;
        std::string error;
        EXPECT_TRUE(sim::FaultRule::Parse(text, spec, error)) << text << ": " << error;
        options.faults.push_back(spec);
    }
    return options;
}

void ReadyForRecords(WireHost& host) {
    Handshake(host);
    EraseAndStart(host, 0, 0xFFFF, 1);
}

TEST(LoaderFaults, ResendCodesReplaceTheArrivedAcknowledge) {
    for (const char* code : {"81", "82", "85", "88"}) {
        SCOPED_TRACE(code);
        const std::string text = std::string("resend:at=2,code=") + code;
        SimulatedReceiver receiver(WithFaults({text.c_str()}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, Pattern(20, 1)));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
        host.Send(WireHost::Record(20, Pattern(20, 2)));
        EXPECT_EQ(host.Next(), std::stoi(code, nullptr, 16));
        EXPECT_EQ(host.Next(200), -1);
        EXPECT_FALSE(receiver.Flash().IsProgrammed(20));
        host.Send(WireHost::Record(20, Pattern(20, 2)));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
        EXPECT_EQ(receiver.ReadFlash(20, 20), Pattern(20, 2));
        EXPECT_EQ(receiver.Counters().resendsSent, 1u);
        EXPECT_EQ(receiver.Counters().faultsStruck, 1u);
    }
    sim::FaultRule spec;
    std::string error;
    EXPECT_TRUE(sim::FaultRule::Parse("resend85", spec, error));
    EXPECT_EQ(spec.code, 0x85);
}

TEST(LoaderFaults, LostAcknowledgements) {
    {
        SimulatedReceiver receiver(WithFaults({"lostack:at=1"}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, {1, 2}));
        EXPECT_EQ(host.Next(5000), -1);  // the host's timeout is what moves on
        EXPECT_TRUE(receiver.Flash().IsProgrammed(0));
        host.Send(WireHost::Record(0, {1, 2}));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
    }
    {
        sim::ReceiverOptions options = WithFaults({"lostack:at=1,which=arrived"});
        options.timing.repromptMs = 3000;
        SimulatedReceiver receiver(options);
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, {1, 2}));
        EXPECT_EQ(host.Next(), 0x55);  // "programmed" only
        const std::uint64_t programmed = host.Now();
        EXPECT_EQ(host.Next(), 0x77);  // ready for a record, asked again
        EXPECT_EQ(host.Now() - programmed, 3000u);
    }
    {
        SimulatedReceiver receiver(WithFaults({"lostack:at=1,which=programmed"}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, {1, 2}));
        EXPECT_EQ(host.Next(), 0x55);
        EXPECT_EQ(host.Next(5000), -1);
    }
}

TEST(LoaderFaults, RecNumberAsksForThePreviousRecord) {
    {
        SimulatedReceiver receiver(WithFaults({"recnum:at=3"}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        for (std::uint32_t i = 0; i < 2; ++i) {
            host.Send(WireHost::Record(i * 1980, Pattern(1980, 0)));
            EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
        }
        host.Send(WireHost::Record(2 * 1980, Pattern(1980, 0)));
        EXPECT_EQ(host.Take(6), (Bytes{0x55, 0x89, 0, 0, 0, 1}));
    }
    {
        SimulatedReceiver receiver(WithFaults({"recnum:at=2"}, true));
        WireHost host(receiver, 115200);
        Handshake(host);
        host.Send(WireHost::Record(4, {1, 2}));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
        host.Send(WireHost::Record(5, {1, 2}));
        EXPECT_EQ(host.Take(6), (Bytes{0x55, 0x89, 0, 0, 0, 4}));
    }
}

TEST(LoaderFaults, DebugReportsBetweenTheAcknowledges) {
    struct Case {
        const char* spec;
        bool lowFirst;
        Bytes expected;
    };
    const Case cases[] = {
        {"debug", false, {0x55, 0x8E, 0x00, 0x01, 0x8E, 0x23, 0x40, 0x55}},
        {"debug", true, {0x55, 0x8E, 0x23, 0x40, 0x8E, 0x00, 0x01, 0x55}},
        {"debug:words=1", false, {0x55, 0x8E, 0x23, 0x40, 0x55}},
        {"debug:words=3",
         false,
         {0x55, 0x8E, 0x00, 0x01, 0x8E, 0x23, 0x40, 0x8E, 0x00, 0x01, 0x55}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        sim::ReceiverOptions options = WithFaults({c.spec});
        options.debugLowWordFirst = c.lowFirst;
        SimulatedReceiver receiver(options);
        WireHost host(receiver, 115200);
        Handshake(host);
        EraseAndStart(host, 0x10000, 0x1FFFF, 1);
        host.Send(WireHost::Record(0x12340, {1, 2}));
        EXPECT_EQ(host.Take(c.expected.size()), c.expected);
    }
}

TEST(LoaderFaults, ResetAsksForTheImageAgain) {
    SimulatedReceiver receiver(WithFaults({"reset:at=2"}));
    WireHost host(receiver, 115200);
    ReadyForRecords(host);
    host.Send(WireHost::Record(0, {1, 2}));
    EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
    host.Send(WireHost::Record(2, {3, 4}));
    EXPECT_EQ(host.Next(), 0x87);
    const std::uint64_t reset = host.Now();
    EXPECT_EQ(host.Next(), 0x77);
    EXPECT_EQ(host.Now() - reset, 100u);
    EXPECT_FALSE(receiver.Flash().IsProgrammed(2));
    host.Send(WireHost::Record(0, {1, 2}));  // from the start, without a new erase
    EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
}

TEST(LoaderFaults, FailDuringARecordOrTheErase) {
    {
        SimulatedReceiver receiver(WithFaults({"fail"}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, {1, 2}));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x84}));
        EXPECT_FALSE(receiver.Flash().IsProgrammed(0));
        EXPECT_EQ(host.Next(), 0xAA);
        EXPECT_EQ(receiver.Counters().writeFailures, 1u);
    }
    {
        SimulatedReceiver receiver(WithFaults({"fail:on=erase"}));
        WireHost host(receiver, 115200);
        Handshake(host);
        ASSERT_EQ(host.Next(), 0x55);
        host.Send(WireHost::Erase(0, 0xFFFF));
        EXPECT_EQ(host.Next(), 0x84);
        EXPECT_EQ(host.Next(), 0xAA);
        EXPECT_EQ(receiver.Counters().erases, 0u);
    }
}

TEST(LoaderFaults, BadTypeAndBadCmd) {
    {
        SimulatedReceiver receiver(WithFaults({"badtype"}));
        WireHost host(receiver, 115200);
        ASSERT_EQ(host.Next(), 0xAA);
        host.Send(0x55);
        EXPECT_EQ(host.Next(), 0x86);
        const std::uint64_t refused = host.Now();
        EXPECT_EQ(host.Next(), 0xAA);
        EXPECT_EQ(host.Now() - refused, 500u);
        Handshake(host);  // only once: the next handshake goes through
        EXPECT_EQ(host.Next(), 0x55);
    }
    {
        SimulatedReceiver receiver(WithFaults({"badcmd"}));
        WireHost host(receiver, 115200);
        Handshake(host);
        ASSERT_EQ(host.Next(), 0x55);
        host.Send(WireHost::Erase(0, 0xFFFF));
        EXPECT_EQ(host.Next(), 0x83);
        EXPECT_EQ(host.Next(), 0xAA);
    }
}

TEST(LoaderFaults, GarbageBeforeReplies) {
    {
        SimulatedReceiver receiver(WithFaults({"garbage:at=2,n=3"}));
        WireHost host(receiver, 115200);
        host.Run(300);  // two hellos; the second one comes after the noise
        const Bytes bytes = host.Drain();
        ASSERT_EQ(bytes.size(), 5u);
        EXPECT_EQ(bytes[0], 0xAA);
        for (int i = 1; i < 4; ++i)
            EXPECT_GE(bytes[i], 0xC0);
        EXPECT_EQ(bytes[4], 0xAA);
    }
    {
        sim::ReceiverOptions options = WithFaults({"garbage:on=sentence,n=5"});
        options.startInLoader = false;
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand("CMD,VERSION");
        const Bytes noise = host.Take(6);
        ASSERT_EQ(noise.size(), 6u);
        for (int i = 0; i < 5; ++i)
            EXPECT_GE(noise[i], 0xC0);
        EXPECT_EQ(noise[5], '$');
    }
    {
        SimulatedReceiver receiver(WithFaults({"garbage:on=record,n=2"}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, {1, 2}));
        const Bytes bytes = host.Take(4);
        ASSERT_EQ(bytes.size(), 4u);
        EXPECT_GE(bytes[0], 0xC0);
        EXPECT_GE(bytes[1], 0xC0);
        EXPECT_EQ(bytes[2], 0x55);
        EXPECT_EQ(bytes[3], 0x55);
    }
}

TEST(LoaderFaults, SilenceForAWhileOrForGood) {
    {
        sim::ReceiverOptions options = WithFaults({"silence:on=sentence,at=2,for=3000"});
        options.startInLoader = false;
        SimulatedReceiver receiver(options);
        WireHost host(receiver);
        host.SendCommand("CMD,VERSION");
        EXPECT_NE(host.NextSentence("$PXRVVER,"), "");
        host.SendCommand("CMD,VERSION");
        EXPECT_EQ(host.Next(2000), -1);
        host.SendCommand("CMD,VERSION");  // still silent: not even heard
        EXPECT_EQ(host.Next(1500), -1);
        host.SendCommand("CMD,VERSION");
        EXPECT_NE(host.NextSentence("$PXRVVER,"), "");
    }
    {
        SimulatedReceiver receiver(WithFaults({"silence:at=2"}));
        WireHost host(receiver, 115200);
        ReadyForRecords(host);
        host.Send(WireHost::Record(0, {1, 2}));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
        host.Send(WireHost::Record(2, {1, 2}));
        EXPECT_EQ(host.Next(60000), -1);
        EXPECT_TRUE(receiver.Present());
    }
}

TEST(LoaderFaults, DisconnectTakesTheDeviceAway) {
    SimulatedReceiver receiver(WithFaults({"disconnect:at=1"}));
    WireHost host(receiver, 115200);
    ReadyForRecords(host);
    EXPECT_TRUE(receiver.Present());
    host.Send(WireHost::Record(0, {1, 2}));
    EXPECT_FALSE(receiver.Present());
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Gone);
    EXPECT_EQ(host.Next(1000), -1);
    EXPECT_EQ(receiver.NextDueMs(), UINT64_MAX);
}

}  // namespace
