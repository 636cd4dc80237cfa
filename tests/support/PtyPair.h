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
    int Master() const { return master_; }
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
    void SetSlaveSpeed(speed_t speed) {
        termios t = SlaveSettings();
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        ::tcsetattr(master_, TCSANOW, &t);
    }

    // Everything the slave side has sent so far, waiting up to waitMs for the first byte.
    std::string ReadAvailable(int waitMs = 0) {
        std::string out;
        pollfd p{master_, POLLIN, 0};
        if (waitMs > 0)
            ::poll(&p, 1, waitMs);
        char buffer[4096];
        for (;;) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, static_cast<std::size_t>(n));
        }
        return out;
    }
    // Reads until size bytes have come or timeoutMs has passed.
    std::string ReadExactly(std::size_t size, int timeoutMs) {
        std::string out;
        int waited = 0;
        while (out.size() < size && waited < timeoutMs) {
            std::string more = ReadAvailable(10);
            if (more.empty())
                waited += 10;
            out += more;
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
