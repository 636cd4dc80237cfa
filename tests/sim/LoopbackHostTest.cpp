#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>

#include "sim/FaultSpec.h"
#include "sim/SimulatedReceiver.h"
#include "tests/sim/LoaderSteps.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::SimulatedReceiver;

constexpr std::size_t kRecord = 1980;

// The smallest host that loads an image the way the wire protocol describes it:
// answer hello, shake hands, erase (address mode), send records and follow the
// receiver's acknowledges, resend codes, debug reports, rec number and reset.
class MiniHost {
  public:
    MiniHost(WireHost& wire, bool recordMode) : wire_(wire), recordMode_(recordMode) {}

    bool Load(const std::vector<std::uint8_t>& image, std::uint32_t loadAddress,
              std::uint32_t eraseEnd) {
        if (!Handshake())
            return false;
        if (!recordMode_ && !Erase(loadAddress, eraseEnd))
            return false;
        const std::size_t records = (image.size() + kRecord - 1) / kRecord;
        std::size_t index = 0;
        while (index < records) {
            const std::size_t offset = index * kRecord;
            const std::vector<std::uint8_t> data(
                image.begin() + static_cast<std::ptrdiff_t>(offset),
                image.begin() +
                    static_cast<std::ptrdiff_t>(std::min(image.size(), offset + kRecord)));
            const auto field =
                static_cast<std::uint32_t>(recordMode_ ? index : loadAddress + offset);
            switch (SendRecord(WireHost::Record(field, data))) {
                case Outcome::Next:
                    ++index;
                    break;
                case Outcome::Back:
                    --index;
                    break;
                case Outcome::Restart:
                    index = 0;
                    break;
                case Outcome::Failed:
                    return false;
            }
        }
        wire_.Send(WireHost::EndRecord());
        if (wire_.Next() != 0x55)
            return false;
        if (!recordMode_)
            return true;
        // End report: checksum, OK, size high and low, OK.
        const std::vector<std::uint8_t> report = wire_.Take(11);
        if (report.size() != 11 || report[0] != 0x8E || report[3] != 0x55 || report[4] != 0x8E ||
            report[7] != 0x8E || report[10] != 0x55) {
            return false;
        }
        endChecksum = static_cast<std::uint16_t>(report[1] << 8 | report[2]);
        endSize = static_cast<std::uint32_t>(report[5]) << 24 |
                  static_cast<std::uint32_t>(report[6]) << 16 |
                  static_cast<std::uint32_t>(report[8]) << 8 | report[9];
        return true;
    }

    std::uint16_t endChecksum = 0xFFFF;
    std::uint32_t endSize = 0;
    int resends = 0;
    int debugWords = 0;

  private:
    enum class Outcome { Next, Back, Restart, Failed };

    static bool IsResend(int b) { return b == 0x81 || b == 0x82 || b == 0x85 || b == 0x88; }

    bool Handshake() {
        int b = 0;
        while ((b = wire_.Next()) != 0xAA) {
            if (b < 0)
                return false;
        }
        wire_.Send(0x55);
        while ((b = wire_.Next()) == 0xAA)
            wire_.Send(0x55);
        if (b != 0x55)
            return false;
        wire_.Send(0x6A);
        return true;
    }

    bool Erase(std::uint32_t start, std::uint32_t end) {
        if (wire_.Next() != 0x55)
            return false;
        const std::vector<std::uint8_t> command = WireHost::Erase(start, end);
        wire_.Send(command);
        for (;;) {
            const int b = wire_.Next();
            if (b == 0x55)
                break;
            if (!IsResend(b))
                return false;
            wire_.Send(command);
        }
        for (;;) {
            const int b = wire_.Next(60000);
            if (b == 0x55 || b == 0x77)
                break;
            if (b != 0x8F)
                return false;
        }
        wire_.Send(0x69);
        const int b = wire_.Next();
        return b == 0x55 || b == 0x77;
    }

    Outcome SendRecord(const std::vector<std::uint8_t>& frame) {
        wire_.Send(frame);
        bool arrived = false;
        for (;;) {
            const int b = wire_.Next(4000);
            if (b < 0) {  // no answer: send it again
                ++resends;
                wire_.Send(frame);
                arrived = false;
            } else if (IsResend(b)) {
                ++resends;
                wire_.Send(frame);
                arrived = false;
            } else if (b == 0x8E) {
                wire_.Take(2);
                ++debugWords;
            } else if (!arrived && b == 0x55) {
                arrived = true;
            } else if (!arrived && b == 0x87) {
                return wire_.Next() == 0x77 ? Outcome::Restart : Outcome::Failed;
            } else if (arrived && (b == 0x55 || b == 0x77)) {
                return Outcome::Next;
            } else if (arrived && b == 0x89) {
                wire_.Take(4);
                return Outcome::Back;
            } else if (b == 0x84) {
                return Outcome::Failed;
            }
        }
    }

    WireHost& wire_;
    bool recordMode_;
};

void SwitchToLoader(WireHost& host, const char* command) {
    host.SendCommand(command);
    host.SendCommand(command);
    host.Send(0x00);
    host.Run(1500);
    host.Drain();
    host.SetBaud(115200);
}

TEST(Loopback, AddressModeCodeLoad) {
    SimulatedReceiver receiver;  // a Pathwick
    WireHost host(receiver);
    SwitchToLoader(host, "CMD,DBUPLOAD");
    const std::vector<std::uint8_t> image = Pattern(10001, 5);
    MiniHost mini(host, false);
    ASSERT_TRUE(mini.Load(image, 0x2D004000, 0x2D004000 + 10000));
    const auto ranges = receiver.ProgrammedRanges();
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges.begin()->first, 0x2D004000u);
    std::vector<std::uint8_t> padded = image;
    padded.push_back(0);  // the last record was padded to whole words
    EXPECT_EQ(ranges.begin()->second, padded);
    EXPECT_EQ(receiver.Counters().loadsCompleted, 1u);
    EXPECT_EQ(mini.resends, 0);
}

TEST(Loopback, RecordNumberedDetailMapLoad) {
    sim::ReceiverOptions options;
    options.SetModel("Pathwick Topo");
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    SwitchToLoader(host, "CMD,MPUPLOAD,2");
    ASSERT_TRUE(receiver.RecordMode());
    const std::vector<std::uint8_t> image = Pattern(5000, 9);
    MiniHost mini(host, true);
    ASSERT_TRUE(mini.Load(image, 0, 0xFFFFFFFF));
    EXPECT_EQ(receiver.ReadFlash(0, 5000), image);
    EXPECT_EQ(mini.endChecksum, 0u);
    EXPECT_EQ(mini.endSize, 5000u);
}

TEST(Loopback, LoadCompletesThroughEveryRecoverableFault) {
    sim::ReceiverOptions options;
    options.timing.pace = true;
    options.loaderSpeed = 19200;
    for (const char* text :
         {"resend:every=7,code=82", "debug:every=5", "recnum:at=4", "lostack:at=9",
          "garbage:on=record,every=11", "reset:at=12", "resend:on=erase"}) {
        sim::FaultSpec spec;
        std::string error;
        ASSERT_TRUE(sim::FaultSpec::Parse(text, spec, error)) << error;
        options.faults.push_back(spec);
    }
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.SendCommand("CMD,PIUPLOAD");
    host.Run(1000);
    host.SetBaud(19200);
    const std::vector<std::uint8_t> image = Pattern(40000, 77);
    MiniHost mini(host, false);
    ASSERT_TRUE(mini.Load(image, 0, 39999));
    EXPECT_EQ(receiver.ReadFlash(0, 40000), image);
    EXPECT_GT(mini.resends, 5);
    EXPECT_GT(mini.debugWords, 4);
    EXPECT_GE(receiver.Counters().faultsStruck, 12u);
}

TEST(Loopback, MegabyteAddressModeLoadInVirtualTime) {
    sim::ReceiverOptions options = InLoader();
    SimulatedReceiver receiver(options);
    WireHost host(receiver, 115200);
    const std::vector<std::uint8_t> image = Pattern(1 << 20, 1);
    MiniHost mini(host, false);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(mini.Load(image, 0x2D004000, 0x2D004000 + (1 << 20) - 1));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "1 MiB address-mode load: " << host.Now() << " ms virtual, " << elapsed.count()
              << " ms real\n";
    EXPECT_EQ(receiver.ReadFlash(0x2D004000, 1 << 20), image);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(elapsed.count(), 1000);
#endif
}

}  // namespace
