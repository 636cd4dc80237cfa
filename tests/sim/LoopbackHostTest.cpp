#include <gtest/gtest.h>

#include <string>

#include "sim/FaultRule.h"
#include "sim/SimulatedReceiver.h"
#include "tests/sim/LoaderSteps.h"
#include "tests/sim/MiniHost.h"
#include "tests/sim/WireHost.h"

namespace {

using sim::SimulatedReceiver;

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
    MiniHost<WireHost> mini(host, false);
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
    MiniHost<WireHost> mini(host, true);
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
        sim::FaultRule spec;
        std::string error;
        ASSERT_TRUE(sim::FaultRule::Parse(text, spec, error)) << error;
        options.faults.push_back(spec);
    }
    SimulatedReceiver receiver(options);
    WireHost host(receiver);
    host.SendCommand("CMD,PIUPLOAD");
    host.Run(1000);
    host.SetBaud(19200);
    const std::vector<std::uint8_t> image = Pattern(40000, 77);
    MiniHost<WireHost> mini(host, false);
    ASSERT_TRUE(mini.Load(image, 0, 39999));
    EXPECT_EQ(receiver.ReadFlash(0, 40000), image);
    EXPECT_GT(mini.resends, 5);
    EXPECT_GT(mini.debugWords, 4);
    EXPECT_GE(receiver.Counters().faultsStruck, 12u);
}

}  // namespace
