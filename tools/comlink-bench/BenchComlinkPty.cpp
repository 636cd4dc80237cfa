// Sends and receives 1 MiB in each direction through a CommLink on a pseudo-terminal and
// reports the time taken and the longest single call of the link.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "COMLINK/CommLink.h"
#include "COMLINK/LineSettings.h"
#include "COMLINK/Win32CommPort.h"
#include "tools/comlink-bench/PtyTransfer.h"

int main(int argc, char** argv) {
    std::size_t bytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : (1u << 20);
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    ::setenv("ORVANE_COM1", name, 1);
    int status = 0;
    {
        Win32CommPort port(0, 4096, 2048, 0);
        CommLink link(port);
        LineSettings line(&link);
        if (port.LastError() != 0 || line.SetBaud(115200) != 0 || link.SetTxQueueSize(6144) != 0) {
            std::fprintf(stderr, "cannot set up the channel on %s\n", name);
            return 1;
        }
        PtyTransferResult r = RunPtyTransfer(link, master, bytes, 6144);
        bool whole = r.hostSent == bytes && r.hostReceived == bytes && r.peerSent == bytes &&
                     r.peerReceived == bytes;
        std::printf(
            "comlink on a pseudo-terminal: %zu bytes each way in %.2f s; %s; %llu calls, longest "
            "%llu us (%s), %llu over 1 ms, mean %.1f us\n",
            bytes, r.seconds,
            whole && r.inOrder ? "complete and in order" : "INCOMPLETE OR OUT OF ORDER",
            static_cast<unsigned long long>(r.calls),
            static_cast<unsigned long long>(r.longestCallUs), r.longestCall.c_str(),
            static_cast<unsigned long long>(r.callsOver1ms),
            r.calls > 0 ? static_cast<double>(r.totalCallUs) / static_cast<double>(r.calls) : 0.0);
        status = whole && r.inOrder ? 0 : 1;
    }
    ::close(master);
    return status;
}
