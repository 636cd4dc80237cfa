#include "tools/receiver-sim/PtyEndpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct SpeedName {
    speed_t code;
    std::uint32_t baud;
};

constexpr SpeedName kSpeeds[] = {
    {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

}  // namespace

PtyEndpoint::~PtyEndpoint() {
    Close();
}

bool PtyEndpoint::Open(std::uint32_t initialBaud, std::string& error) {
    Close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    path_ = name;
    // The settings stay with the device while the master is open; hosts come and go.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave < 0) {
        error = std::string("cannot open ") + path_ + ": " + std::strerror(errno);
        Close();
        return false;
    }
    // A serial port carries bytes as they are: no echo, no line editing, no translation,
    // until the host sets its own mode.
    termios settings{};
    if (tcgetattr(slave, &settings) == 0) {
        cfmakeraw(&settings);
        speed_t speed = B9600;
        for (const SpeedName& s : kSpeeds) {
            if (s.baud == initialBaud)
                speed = s.code;
        }
        cfsetspeed(&settings, speed);
        tcsetattr(slave, TCSANOW, &settings);
    }
    close(slave);
    const int flags = fcntl(master_, F_GETFL);
    fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    return true;
}

void PtyEndpoint::Close() {
    if (master_ >= 0)
        close(master_);
    master_ = -1;
}

bool PtyEndpoint::HostAttached() const {
    if (master_ < 0)
        return false;
    // The master hangs up while no one has the slave open.
    pollfd fd{master_, 0, 0};
    return poll(&fd, 1, 0) >= 0 && (fd.revents & POLLHUP) == 0;
}

std::uint32_t PtyEndpoint::HostBaud() const {
    if (master_ < 0)
        return 0;
    termios settings{};
    // The master reports the settings of its slave, which is what the host set.
    if (tcgetattr(master_, &settings) != 0)
        return 0;
    const speed_t code = cfgetospeed(&settings);
    for (const SpeedName& s : kSpeeds) {
        if (s.code == code)
            return s.baud;
    }
    return 0;
}

long PtyEndpoint::Read(std::uint8_t* buffer, std::size_t size) {
    if (master_ < 0)
        return -1;
    const ssize_t n = read(master_, buffer, size);
    if (n >= 0)
        return n;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == EIO ? 0 : -1;
}

long PtyEndpoint::Write(const std::uint8_t* data, std::size_t size) {
    if (master_ < 0)
        return -1;
    if (size == 0)
        return 0;
    const ssize_t n = write(master_, data, size);
    if (n >= 0)
        return n;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}
