#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "image/ImageReader.h"
#include "loader/UploadRun.h"
#include "platform/MemorySerialBank.h"
#include "platform/VirtualClock.h"
#include "tests/sim/WireHost.h"
#include "tests/support/LoaderLine.h"
#include "tests/support/TempWorkDir.h"

namespace {

// A megabyte upload run to the receiver on COM1 through the memory device, as the
// uploader's tests use it, in virtual time: fast enough for tests of whole uploads.
TEST(MemoryDevice, MegabyteAddressModeLoadInUnderASecond) {
    TempWorkDir dir;
    platform::VirtualClock clock;
    platform::ScopedClock useClock{clock};
    sim::SimulatedReceiver receiver(InLoader());
    platform::MemorySerialBank bank;
    bank.Attach(0, &receiver);
    LoaderLine line;  // after the bank: the port closes before its device goes
    ASSERT_TRUE(line.Open(0, 115200));
    const Bytes image = Pattern(1 << 20, 3);
    TempWorkDir::Write("image.bin", std::string(image.begin(), image.end()));
    ImageReader reader;
    ASSERT_TRUE(reader.Open("image.bin"));
    const auto start = std::chrono::steady_clock::now();
    UploadRun run({{.uploadFamily = 15}, 0, 0x2D004000 + (1 << 20) - 1, 0}, line.link.get(),
                  {{&reader, 0x2D004000}});
    EXPECT_EQ(run.RunToEnd(600000), UploadRun::Outcome::Complete);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "1 MiB address-mode load through the memory device: " << clock.MonotonicMs()
              << " ms virtual, " << elapsed.count() << " ms real\n";
    EXPECT_EQ(receiver.ReadFlash(0x2D004000, 1 << 20), image);
    EXPECT_EQ(receiver.Counters().recordsAccepted, 530u);  // each record once
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(elapsed.count(), 1000);
#endif
}

}  // namespace
