#include <gtest/gtest.h>

#include "sim/SimulatedReceiver.h"
#include "tests/sim/LoaderSteps.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::ReceiverLoader;
using sim::SimulatedReceiver;

TEST(Loader, HelloRepeatsUntilAnswered) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    host.Run(1000);
    EXPECT_EQ(host.Drain(), std::vector<std::uint8_t>(5, 0xAA));  // at 0, 250, 500, 750, 1000 ms
    host.Send(0x66);  // anything but 0x55 leaves it saying hello
    host.Run(250);
    EXPECT_EQ(host.Drain(), std::vector<std::uint8_t>(1, 0xAA));
    host.Send(0x55);
    EXPECT_EQ(host.Next(), 0x55);
    host.Run(2000);
    EXPECT_TRUE(host.Drain().empty());
    EXPECT_EQ(receiver.LoaderPhase(), ReceiverLoader::Phase::Handshake);
    host.Send(0x55);  // a late second answer to an earlier hello changes nothing
    host.Run(100);
    EXPECT_TRUE(host.Drain().empty());
}

TEST(Loader, AddressModeLoadFromHandshakeToEnd) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    Handshake(host);
    ASSERT_EQ(host.Next(), 0x55);
    EXPECT_EQ(receiver.LoaderPhase(), ReceiverLoader::Phase::EraseCommand);
    host.Send(0x6A);  // asked again after a timeout: answered again
    ASSERT_EQ(host.Next(), 0x55);

    host.Send(WireHost::Erase(0x2D004000, 0x2D02FFFF));  // touches three 64 KiB sectors
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(0x69);  // too early: not taken while the erase runs
    std::vector<std::uint64_t> times;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(host.Next(), 0x8F);
        times.push_back(host.Now());
    }
    EXPECT_EQ(times[1] - times[0], 50u);
    EXPECT_EQ(times[2] - times[1], 50u);
    ASSERT_EQ(host.Next(), 0x55);  // the erase is over
    EXPECT_EQ(host.Next(100), -1);
    EXPECT_EQ(receiver.LoaderPhase(), ReceiverLoader::Phase::Cold);
    host.Send(0x69);
    ASSERT_EQ(host.Next(), 0x55);
    EXPECT_EQ(receiver.Counters().sectorsErased, 3u);

    const std::vector<std::uint8_t> first = Pattern(1980, 1);
    host.Send(WireHost::Record(0x2D004000, first));
    EXPECT_EQ(host.Next(), 0x55);  // arrived
    const std::uint64_t arrived = host.Now();
    EXPECT_EQ(host.Next(), 0x55);  // programmed
    EXPECT_EQ(host.Now() - arrived, 10u);
    host.Send(WireHost::Record(0x2D004000 + 1980, {1, 2, 3, 0}));
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(host.Next(), 0x55);
    host.Send(WireHost::EndRecord());
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(receiver.LoaderPhase(), ReceiverLoader::Phase::Done);
    EXPECT_EQ(receiver.Counters().loadsCompleted, 1u);
    EXPECT_EQ(receiver.Counters().recordsAccepted, 2u);

    EXPECT_EQ(receiver.ReadFlash(0x2D004000, 1980), first);
    EXPECT_EQ(receiver.ReadFlash(0x2D004000 + 1980, 5),
              (std::vector<std::uint8_t>{1, 2, 3, 0, 0xFF}));
    const auto ranges = receiver.ProgrammedRanges();
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges.begin()->first, 0x2D004000u);
    EXPECT_EQ(ranges.begin()->second.size(), 1984u);

    // It restarts and runs normally again.
    host.Run(1500);
    EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Sentence);
    host.SetBaud(4800);
    host.SendCommand("CMD,VERSION");
    EXPECT_NE(host.NextSentence("$PXRVVER,"), "");
}

TEST(Loader, EraseCommandIsChecked) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    Handshake(host);
    ASSERT_EQ(host.Next(), 0x55);

    std::vector<std::uint8_t> frame = WireHost::Erase(0, 0xFFFF);
    frame[frame.size() - 2] ^= 1;  // checksum
    host.Send(frame);
    EXPECT_EQ(host.Next(), 0x81);
    const std::uint64_t answered = host.Now();
    frame = WireHost::Erase(0, 0xFFFF);
    frame.back() = 0x00;  // closing bracket
    host.Send(frame);
    EXPECT_EQ(host.Next(), 0x82);
    EXPECT_GE(host.Now() - answered, 500u);  // answered once the line was quiet
    frame = WireHost::Erase(0, 0xFFFF);
    frame[1] = 0x7F;  // word count: the rest of the frame is skipped
    host.Send(frame);
    EXPECT_EQ(host.Next(), 0x85);
    frame = WireHost::Erase(0, 0xFFFF);
    host.Send(std::vector<std::uint8_t>(frame.begin(), frame.begin() + 6));  // cut short
    EXPECT_EQ(host.Next(), 0x88);
    EXPECT_EQ(receiver.Counters().resendsSent, 4u);

    host.Send(WireHost::Erase(0, 0xFFFF));
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(host.Next(), 0x8F);
    EXPECT_EQ(host.Next(), 0x55);
}

TEST(Loader, EraseRangeBackwardsIsRefused) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    Handshake(host);
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(WireHost::Erase(0x20000, 0x1FFFF));
    EXPECT_EQ(host.Next(), 0x83);
    EXPECT_EQ(host.Next(), 0xAA);  // and it starts over
    EXPECT_EQ(receiver.Counters().erases, 0u);
}

TEST(Loader, DataRecordsAreChecked) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    Handshake(host);
    EraseAndStart(host, 0, 0xFFFF, 1);
    const std::vector<std::uint8_t> good = WireHost::Record(0x100, Pattern(100, 3));

    std::vector<std::uint8_t> bad = good;
    bad[50] ^= 0x40;  // a data byte: the checksum no longer fits
    host.Send(bad);
    EXPECT_EQ(host.Next(), 0x81);
    bad = good;
    bad[1] = 0x7F;  // far more words than a record can hold
    host.Send(bad);
    EXPECT_EQ(host.Next(), 0x85);
    bad = good;
    bad[2] = 0x02;  // the address alone, no data
    host.Send(bad);
    EXPECT_EQ(host.Next(), 0x85);
    host.Send(std::vector<std::uint8_t>(good.begin(), good.end() - 1));  // no closing bracket
    EXPECT_EQ(host.Next(), 0x88);
    EXPECT_FALSE(receiver.Flash().IsProgrammed(0x100));
    EXPECT_EQ(receiver.Counters().recordsRejected, 4u);

    // Stray bytes between frames do not matter.
    host.Send({0x00, 0x55, 0x69});
    host.Send(good);
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(receiver.ReadFlash(0x100, 100), Pattern(100, 3));
}

TEST(Loader, RecordOutsideTheErasedSectorsFailsTheWrite) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    Handshake(host);
    EraseAndStart(host, 0x10000, 0x1FFFF, 1);
    host.Send(WireHost::Record(0x1FFF0, Pattern(32, 0)));  // runs into the next sector
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(host.Next(), 0x84);
    EXPECT_EQ(receiver.Counters().writeFailures, 1u);
    EXPECT_FALSE(receiver.Flash().IsProgrammed(0x1FFF0));
    EXPECT_EQ(host.Next(), 0xAA);  // the loader starts over, and a new erase is needed
    host.Send(0x55);
    EXPECT_EQ(host.Next(), 0x55);
    host.Send(0x6A);
    EraseAndStart(host, 0x10000, 0x2FFFF, 2);
    host.Send(WireHost::Record(0x1FFF0, Pattern(32, 0)));
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(host.Next(), 0x55);
}

TEST(Loader, RecordNumberedLoadAndEndReport) {
    SimulatedReceiver receiver(InLoader(true));
    WireHost host(receiver, 115200);
    Handshake(host);
    EXPECT_EQ(host.Next(200), -1);  // no acknowledge of the 0x6A
    EXPECT_EQ(receiver.LoaderPhase(), ReceiverLoader::Phase::Records);

    const std::vector<std::uint8_t> a = Pattern(1980, 10);
    const std::vector<std::uint8_t> c = Pattern(10, 30);
    host.Send(WireHost::Record(0, a));
    EXPECT_EQ(host.Take(2), (std::vector<std::uint8_t>{0x55, 0x55}));
    host.Send(WireHost::Record(2, c));  // number 1 never comes
    EXPECT_EQ(host.Take(2), (std::vector<std::uint8_t>{0x55, 0x55}));
    host.Send(WireHost::EndRecord());
    // 0x55; checksum report (one record missing); 0x55; the size in two reports; 0x55.
    const std::uint32_t size = 1990;
    EXPECT_EQ(host.Take(12), (std::vector<std::uint8_t>{0x55, 0x8E, 0x00, 0x01, 0x55, 0x8E, 0x00,
                                                        0x00, 0x8E, size >> 8, size & 0xFF, 0x55}));
    EXPECT_EQ(receiver.Counters().endChecksum, 1u);
    EXPECT_EQ(receiver.Counters().endSize, 1990u);
    EXPECT_EQ(receiver.Counters().loadsCompleted, 1u);
    EXPECT_EQ(receiver.ReadFlash(0, 1980), a);
    EXPECT_EQ(receiver.ReadFlash(2 * 1980, 10), c);
    EXPECT_FALSE(receiver.Flash().IsProgrammed(1980));
}

TEST(Loader, ReadyAnswersCanBeRecWait) {
    sim::ReceiverOptions options = InLoader();
    options.readyWithRecWait = true;
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 115200);
    Handshake(host);
    EXPECT_EQ(host.Next(), 0x55);
    host.Send(WireHost::Erase(0, 0xFFFF));
    EXPECT_EQ(host.Take(3), (std::vector<std::uint8_t>{0x55, 0x8F, 0x77}));
    host.Send(0x69);
    EXPECT_EQ(host.Next(), 0x77);
    host.Send(WireHost::Record(0, {1, 2}));
    EXPECT_EQ(host.Take(2), (std::vector<std::uint8_t>{0x55, 0x77}));
}

TEST(Loader, AnnouncingWithRecWaitTakesRecordsAtOnce) {
    sim::ReceiverOptions options = InLoader(true);
    options.announceWithRecWait = true;
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 115200);
    EXPECT_EQ(host.Next(), 0x77);
    EXPECT_EQ(host.Next(), 0x77);  // repeated until the host sends something
    host.Send(WireHost::Record(0, {9, 8}));
    EXPECT_EQ(host.Take(2), (std::vector<std::uint8_t>{0x55, 0x55}));
    host.Run(1000);
    EXPECT_TRUE(host.Drain().empty());
    EXPECT_EQ(receiver.ReadFlash(0, 2), (std::vector<std::uint8_t>{9, 8}));
}

TEST(Loader, PacingTakesTenBitsPerByte) {
    sim::ReceiverOptions options = InLoader(true);
    options.timing.pace = true;
    options.loaderSpeed = 19200;
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 19200);
    Handshake(host);
    const std::uint64_t sent = host.Now();
    host.Send(WireHost::Record(0, Pattern(1980, 0)));  // 1990 bytes: 1036 ms at 19200
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_GE(host.Now() - sent, 1036u + 1);
    EXPECT_LE(host.Now() - sent, 1036u + 3);
}

TEST(Loader, WhereTheReceiverIsAfterALoad) {
    struct Case {
        const char* model;
        const char* firmware;
        SimulatedReceiver::Mode after;
    };
    const Case cases[] = {
        {"Pathwick", "2.05", SimulatedReceiver::Mode::Sentence},
        {"GPS7K1/7K2", "2.05", SimulatedReceiver::Mode::Loader},  // boot block to reload
        {"GPS7K1/7K2", "3.01", SimulatedReceiver::Mode::Sentence},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        sim::ReceiverOptions options = InLoader();
        options.SetModel(c.model);
        options.firmware = c.firmware;
        SimulatedReceiver receiver(options);
        WireHost host(receiver, 115200);
        Handshake(host);
        EraseAndStart(host, 0, 0xFFFF, 1);
        host.Send(WireHost::EndRecord());
        EXPECT_EQ(host.Next(), 0x55);
        host.Run(2000);
        EXPECT_EQ(receiver.GetMode(), c.after);
        const std::vector<std::uint8_t> after = host.Drain();
        EXPECT_EQ(!after.empty() && after[0] == 0xAA, c.after == SimulatedReceiver::Mode::Loader);
        if (c.after != SimulatedReceiver::Mode::Loader)
            continue;
        // The boot block pass: after it the unit runs.
        Handshake(host);
        EraseAndStart(host, 0x70000, 0x9FFFF, 3);
        host.Send(WireHost::EndRecord());
        EXPECT_EQ(host.Next(), 0x55);
        host.Run(2000);
        EXPECT_EQ(receiver.GetMode(), SimulatedReceiver::Mode::Sentence);
    }
}

}  // namespace
