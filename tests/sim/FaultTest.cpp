#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "tests/sim/WireHost.h"

namespace {

using sim::SimulatedReceiver;

// What the receiver answers to the data record a fault strikes, whether it programmed the
// record, and what it answers when the host sends the same record again.
TEST(LoaderFaults, AnswersToAStruckRecord) {
    const Bytes acks{0x55, 0x55};
    const std::tuple<const char*, Bytes, bool, Bytes> cases[] = {
        {"resend81", {0x81}, false, acks},
        {"resend:code=88", {0x88}, false, acks},
        {"lostack", {}, true, acks},
        {"lostack:which=arrived", {0x55}, true, acks},
        {"debug", {0x55, 0x8E, 0x00, 0x01, 0x8E, 0x23, 0x40, 0x55}, true, acks},
        {"debug:words=3", {0x55, 0x8E, 0, 1, 0x8E, 0x23, 0x40, 0x8E, 0, 1, 0x55}, true, acks},
        {"reset", {0x87, 0x77}, false, acks},   // from the start, without a new erase
        {"fail", {0x55, 0x84}, false, {0xAA}},  // the loader starts over
        {"garbage:on=record,n=2", {0xF0, 0xF0, 0x55, 0x55}, true, acks},
        {"silence", {}, false, {}},
        {"disconnect", {}, false, {}},
    };
    for (const auto& [rule, answer, programmed, again] : cases) {
        SCOPED_TRACE(rule);
        SimulatedReceiver receiver(InLoader(false, {rule}));
        WireHost host(receiver, 115200);
        StartLoad(host, 0x10000, 0x1FFFF, 1);
        const Bytes record = wire::Record(0x12340, {1, 2});
        host.Send(record);
        EXPECT_EQ(host.Take(answer.size()), answer);
        EXPECT_EQ(host.Next(400), -1);
        EXPECT_EQ(receiver.Flash().IsProgrammed(0x12340), programmed);
        host.Send(record);
        EXPECT_EQ(host.Take(again.size()), again);
        EXPECT_EQ(host.Next(200), -1);
        EXPECT_EQ(receiver.Present(), std::string_view(rule) != "disconnect");
    }
}

// A refused handshake or erase, and the next attempt that goes through. The last one
// strikes no fault: its erase range runs backwards.
TEST(LoaderFaults, StruckHandshakeOrErase) {
    const std::tuple<const char*, int, std::uint32_t> cases[] = {{"badtype", 0x86, 0},
                                                                 {"badcmd", 0x83, 0},
                                                                 {"fail:on=erase", 0x84, 0},
                                                                 {"resend85:on=erase", 0x85, 0},
                                                                 {nullptr, 0x83, 0x20000}};
    for (const auto& [rule, code, start] : cases) {
        SCOPED_TRACE(code);
        SimulatedReceiver receiver(rule != nullptr ? InLoader(false, {rule}) : InLoader());
        WireHost host(receiver, 115200);
        if (code == 0x86) {
            ASSERT_EQ(host.Next(), 0xAA);
            host.Send({0x55});
        } else {
            StartLoad(host);
            ASSERT_EQ(host.Next(), 0x55);
            host.Send(wire::Erase(start, 0x1FFFF));
        }
        EXPECT_EQ(host.Next(), code);
        EXPECT_EQ(receiver.Counters().erases, 0u);
        if (code != 0x85) {
            StartLoad(host, 0, 0xFFFF, 1);  // it starts over with a hello
        } else {
            host.Send(wire::Erase(0, 0xFFFF));
            EXPECT_EQ(host.Take(3), (Bytes{0x55, 0x8F, 0x55}));
        }
        EXPECT_EQ(receiver.Counters().erases, 1u);
    }
}

// Address mode asks again by index in the session, record mode by record number.
TEST(LoaderFaults, RecNumberAsksForThePreviousRecord) {
    for (const bool recordMode : {false, true}) {
        SCOPED_TRACE(recordMode);
        SimulatedReceiver receiver(InLoader(recordMode, {"recnum:at=2"}));
        WireHost host(receiver, 115200);
        StartLoad(host, 0, 0xFFFF, recordMode ? 0 : 1);
        const std::uint32_t first = recordMode ? 4 : 0;
        host.Send(wire::Record(first, Pattern(1980, 0)));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
        host.Send(wire::Record(recordMode ? 5 : 1980, Pattern(1980, 0)));
        EXPECT_EQ(host.Take(6), (Bytes{0x55, 0x89, 0, 0, 0, static_cast<std::uint8_t>(first)}));
    }
}

}  // namespace
