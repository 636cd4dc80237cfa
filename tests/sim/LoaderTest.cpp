#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "sim/FlashMemory.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::SimulatedReceiver;

// Like NOR flash: programming clears bits only, so a byte programmed again keeps old AND
// new; it is corrupted unless that is the new value. Only an erase sets bits again.
TEST(FlashMemory, ProgrammingOnlyClearsBitsUntilTheNextErase) {
    sim::FlashMemory flash;
    const Bytes first{0xF0, 0x3C, 0xFF};
    const Bytes second{0xF0, 0x0F, 0x00};
    EXPECT_EQ(flash.Program(0x0FFF, first.data(), 3), 0u);      // starts erased
    EXPECT_EQ(flash.Program(0x0FFF, first.data(), 3), 0u);      // the same values again
    EXPECT_EQ(flash.Program(0xFFFFFFFF, first.data(), 3), 0u);  // cut at the top
    EXPECT_EQ(flash.ProgrammedRanges(),
              (std::map<std::uint32_t, Bytes>{{0x0FFF, first}, {0xFFFFFFFF, {0xF0}}}));
    EXPECT_EQ(flash.Program(0x0FFF, second.data(), 3), 1u);  // 0x3C cannot become 0x0F
    EXPECT_EQ(flash.Read(0x0FFE, 5), (Bytes{0xFF, 0xF0, 0x0C, 0x00, 0xFF}));  // across pages
    flash.Erase(0, 0xFFFF);
    EXPECT_FALSE(flash.IsProgrammed(0x1000));
    EXPECT_EQ(flash.Program(0x0FFF, second.data(), 3), 0u);
    EXPECT_EQ(flash.Read(0x0FFF, 3), second);
}

TEST(Loader, AddressModeLoadFromHelloToEnd) {
    sim::ReceiverOptions options;
    options.startInLoader = true;  // expert mode: a Pathwick in its code loader
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 115200);
    host.Run(1000);
    EXPECT_EQ(host.Drain(), Bytes(5, 0xAA));  // at 0, 250, 500, 750, 1000 ms
    EXPECT_FALSE(receiver.RecordMode());
    host.Send({0x66});  // anything but 0x55 leaves it saying hello
    host.Run(250);
    EXPECT_EQ(host.Drain(), Bytes(1, 0xAA));
    host.Send({0x55});
    EXPECT_EQ(host.Next(), 0x55);
    host.Run(2000);
    host.Send({0x55});  // a late second answer to an earlier hello changes nothing
    EXPECT_EQ(host.Next(100), -1);
    host.Send({0x6A});
    ASSERT_EQ(host.Next(), 0x55);
    host.Send({0x6A});  // asked again after a timeout: answered again
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(wire::Erase(0x2D004000, 0x2D02FFFF));  // touches three 64 KiB sectors
    ASSERT_EQ(host.Next(), 0x55);
    host.Send({0x69});  // too early: not taken while the erase runs
    const std::uint64_t erasing = host.Now();
    EXPECT_EQ(host.Take(4), (Bytes{0x8F, 0x8F, 0x8F, 0x55}));  // a sector every 50 ms, done
    EXPECT_EQ(host.Now() - erasing, 150u);
    EXPECT_EQ(host.Next(100), -1);
    host.Send({0x69});
    ASSERT_EQ(host.Next(), 0x55);

    const Bytes first = Pattern(1980, 1);
    host.Send(wire::Record(0x2D004000, first));
    EXPECT_EQ(host.Next(), 0x55);  // arrived, then programmed 10 ms later
    const std::uint64_t arrived = host.Now();
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(host.Now() - arrived, 10u);
    host.Send(wire::Record(0x2D004000 + 1980, {1, 2, 3, 0}));
    EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
    host.Send(wire::EndRecord());
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_EQ(receiver.ReadFlash(0x2D004000, 1980), first);
    EXPECT_EQ(receiver.ReadFlash(0x2D004000 + 1980, 5), (Bytes{1, 2, 3, 0, 0xFF}));
}

TEST(Loader, DamagedFramesAreAnsweredWithTheirResendCode) {
    // Checksum, closing bracket, more words than fit, cut short, a record without data.
    const std::pair<void (*)(Bytes&), int> damages[] = {
        {[](Bytes& f) { f[f.size() - 2] ^= 1; }, 0x81},
        {[](Bytes& f) { f.back() = 0; }, 0x82},
        {[](Bytes& f) { f[1] = 0x7F; }, 0x85},
        {[](Bytes& f) { f.resize(6); }, 0x88},
        {[](Bytes& f) { f[2] = 2; }, 0x85}};
    sim::ReceiverOptions options = InLoader();
    options.readyWithRecWait = true;  // "ready" is rec wait (0x77) on this one
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 115200);
    StartLoad(host);
    ASSERT_EQ(host.Next(), 0x55);
    host.Send(wire::Erase(0, 0xFFFF));
    EXPECT_EQ(host.Take(3), (Bytes{0x55, 0x8F, 0x77}));
    host.Send({0x69});
    EXPECT_EQ(host.Next(), 0x77);
    const Bytes record = wire::Record(0x100, Pattern(100, 3));
    for (const auto& [damage, code] : damages) {
        SCOPED_TRACE(code);
        Bytes frame = record;
        damage(frame);
        const std::uint64_t sent = host.Now();
        host.Send(frame);
        EXPECT_EQ(host.Next(), code);
        EXPECT_GE(host.Now() - sent, 500u);  // once the line has been quiet
    }
    EXPECT_FALSE(receiver.Flash().IsProgrammed(0x100));
    host.Send({0x00, 0x55, 0x69});  // stray bytes between frames do not matter
    host.Send(record);
    EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x77}));
    EXPECT_EQ(receiver.ReadFlash(0x100, 100), Pattern(100, 3));
}

TEST(Loader, RecordOutsideTheErasedSectorsFailsTheWrite) {
    SimulatedReceiver receiver(InLoader());
    WireHost host(receiver, 115200);
    StartLoad(host, 0x10000, 0x1FFFF, 1);
    host.Send(wire::Record(0x1FFF0, Pattern(32, 0)));  // runs into the next sector
    EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x84}));
    EXPECT_FALSE(receiver.Flash().IsProgrammed(0x1FFF0));
}

TEST(Loader, RecordNumberedLoadAndEndReportOnAPacedLine) {
    sim::ReceiverOptions options = InLoader(true);
    options.timing.pace = true;
    options.loaderSpeed = 19200;
    options.debugLowWordFirst = true;  // two-word reports low word first
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 19200);
    StartLoad(host);
    EXPECT_EQ(host.Next(200), -1);  // no acknowledge of the 0x6A
    const Bytes a = Pattern(1980, 10);
    const std::uint64_t sent = host.Now();
    host.Send(wire::Record(0, a));  // 1990 bytes of ten bits: 1036 ms at 19200
    EXPECT_EQ(host.Next(), 0x55);
    EXPECT_GE(host.Now() - sent, 1036u + 1);
    EXPECT_LE(host.Now() - sent, 1036u + 3);
    EXPECT_EQ(host.Next(), 0x55);
    const std::pair<std::uint32_t, Bytes> records[] = {
        {2, Bytes(10, 0x3C)},   // number 1 never comes
        {0, a},                 // the same again changes nothing
        {2, Bytes(10, 0x0F)}};  // other values: bits only clear
    for (const auto& [number, data] : records) {
        host.Send(wire::Record(number, data));
        EXPECT_EQ(host.Take(2), (Bytes{0x55, 0x55}));
    }
    EXPECT_EQ(receiver.Counters().bytesCorrupted, 10u);
    host.Send(wire::EndRecord());
    // 0x55; checksum report (one record missing); 0x55; the size 1990 in two reports; 0x55.
    EXPECT_EQ(host.Take(12),
              (Bytes{0x55, 0x8E, 0x00, 0x01, 0x55, 0x8E, 0x07, 0xC6, 0x8E, 0x00, 0x00, 0x55}));
    EXPECT_EQ(receiver.ReadFlash(0, 1980), a);
    EXPECT_EQ(receiver.ReadFlash(2 * 1980, 10), Bytes(10, 0x0C));
    EXPECT_FALSE(receiver.Flash().IsProgrammed(1980));
}

}  // namespace
