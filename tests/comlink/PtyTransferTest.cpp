#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "tests/support/PtyPair.h"
#include "tools/comlink-bench/PtyTransfer.h"

namespace {

// Real time: a mebibyte each way through the command channel's set-up on a
// pseudo-terminal, one thread playing both ends, so a blocking call would hang it.
TEST(PtyTransfer, MebibyteEachWayArrivesWholeAndInOrderWithoutBlocking) {
    PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    ::setenv("ORVANE_COM2", pty.SlavePath().c_str(), 1);
    pty.SetSlaveSpeed(B4800);
    {
        Win32CommPort port(1, 4096, 2048, 0);
        ::unsetenv("ORVANE_COM2");
        CommLink link(port);
        LineSettings line(&link);
        ASSERT_EQ(line.SetBaud(115200), CL_OK);
        ASSERT_EQ(link.SetTxQueueSize(6144), CL_OK);
        EXPECT_EQ(pty.SlaveSpeed(), B115200);

        const std::size_t kBytes = 1u << 20;
        PtyTransferResult r = RunPtyTransfer(link, pty.Master(), kBytes, 6144, 240);
        std::printf("%zu bytes each way in %.2f s, %llu calls, longest %llu us (%s)\n", kBytes,
                    r.seconds, static_cast<unsigned long long>(r.calls),
                    static_cast<unsigned long long>(r.longestCallUs), r.longestCall.c_str());
        EXPECT_FALSE(r.timedOut);
        EXPECT_TRUE(r.inOrder);
        EXPECT_EQ(r.hostSent, kBytes);
        EXPECT_EQ(r.hostReceived, kBytes);
        EXPECT_EQ(r.peerReceived, kBytes);
        // Generous for a loaded machine and the sanitizers; a blocked call never returns.
        EXPECT_LT(r.longestCallUs, 500000u);
    }
    // The channel is gone: the line is back at the speed it had.
    EXPECT_EQ(pty.SlaveSpeed(), B4800);
}

}  // namespace
