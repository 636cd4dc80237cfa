#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

// A pseudo-terminal for real-time tests: the test holds the master end, the code under
// test opens the slave by its path. The master is non-blocking.
class PtyPair {
  public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        char name[128] = {};
        if (::ptsname_r(master_, name, sizeof name) == 0)
            slave_ = name;
    }
    ~PtyPair() {
        if (master_ >= 0)
            ::close(master_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void CloseMaster() {
        ::close(master_);
        master_ = -1;
    }
    bool Ok() const { return master_ >= 0 && !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }

    // The slave's line settings as the other end sees them.
    termios SlaveSettings() const {
        termios t{};
        ::tcgetattr(master_, &t);
        return t;
    }
    speed_t SlaveSpeed() const {
        termios t = SlaveSettings();
        return ::cfgetospeed(&t);
    }

    // What the slave side sends: until size bytes have come or timeoutMs has passed
    // without any.
    std::string ReadExactly(std::size_t size, int timeoutMs) {
        std::string out;
        char buffer[4096];
        for (int waited = 0; out.size() < size && waited < timeoutMs;) {
            pollfd p{master_, POLLIN, 0};
            const ssize_t n = ::poll(&p, 1, 10) > 0 ? ::read(master_, buffer, sizeof buffer) : 0;
            if (n > 0)
                out.append(buffer, static_cast<std::size_t>(n));
            else
                waited += 10;
        }
        return out;
    }
    // Sends to the slave side; answers how many bytes the kernel took.
    std::size_t Write(const std::string& bytes) {
        ssize_t n = ::write(master_, bytes.data(), bytes.size());
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }

  private:
    int master_ = -1;
    std::string slave_;
};
