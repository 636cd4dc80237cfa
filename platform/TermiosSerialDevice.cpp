#include "platform/TermiosSerialDevice.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

#include "platform/SerialDiagnostics.h"

namespace platform {

namespace {

struct SpeedEntry {
    std::uint32_t baud;
    speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool SpeedCode(std::uint32_t baud, speed_t& code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.baud == baud) {
            code = entry.code;
            return true;
        }
    }
    return false;
}

std::uint32_t BaudOf(speed_t code) {
    for (const SpeedEntry& entry : kSpeeds) {
        if (entry.code == code)
            return entry.baud;
    }
    return 0;
}

// What the device's current terminal settings mean as a settings block.
DCB DcbFromTermios(const termios& t) {
    DCB dcb{};
    dcb.BaudRate = BaudOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            dcb.ByteSize = 5;
            break;
        case CS6:
            dcb.ByteSize = 6;
            break;
        case CS7:
            dcb.ByteSize = 7;
            break;
        default:
            dcb.ByteSize = 8;
            break;
    }
    if ((t.c_cflag & PARENB) == 0) {
        dcb.Parity = NOPARITY;
    } else if ((t.c_cflag & CMSPAR) != 0) {
        dcb.Parity = (t.c_cflag & PARODD) != 0 ? MARKPARITY : SPACEPARITY;
    } else {
        dcb.Parity = (t.c_cflag & PARODD) != 0 ? ODDPARITY : EVENPARITY;
    }
    if ((t.c_cflag & CSTOPB) != 0) {
        dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    }
    dcb.fBinary = 1;
    dcb.fParity = (t.c_iflag & INPCK) != 0 ? 1 : 0;
    dcb.fOutxCtsFlow = (t.c_cflag & CRTSCTS) != 0 ? 1 : 0;
    dcb.fOutX = (t.c_iflag & IXON) != 0 ? 1 : 0;
    dcb.fInX = (t.c_iflag & IXOFF) != 0 ? 1 : 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = dcb.fOutxCtsFlow != 0 ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return dcb;
}

bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL;
}

// What an unplugged adapter (or a pseudo-terminal whose other end has gone) answers.
bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

// The terminal the program runs in: its controlling terminal (also as /dev/tty), or the
// device of its standard input, output or error.
bool IsOwnTerminal(int fd) {
    if (::tcgetsid(fd) >= 0)
        return true;
    struct stat device {};
    if (::fstat(fd, &device) != 0)
        return false;
    for (int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        struct stat other {};
        if (::fstat(standard, &other) == 0 && S_ISCHR(other.st_mode) &&
            other.st_rdev == device.st_rdev)
            return true;
    }
    return false;
}

}  // namespace

TermiosSerialDevice::TermiosSerialDevice(std::string path)
    : path_(std::move(path)), tx_(kDefaultQueueSize) {}

TermiosSerialDevice::~TermiosSerialDevice() {
    if (fd_ >= 0)
        Close();
}

bool TermiosSerialDevice::Fail(int systemError) {
    lastError_ = systemError;
    return false;
}

bool TermiosSerialDevice::CallFailed(const char* call, int error) {
    if (gone_)
        return Fail(IE_HARDWARE);
    if (DeviceGone(error)) {
        // Said once; from now on every call fails at once as a hardware failure.
        gone_ = true;
        SerialDiagnostics::Failure(call, path_, error);
        return Fail(IE_HARDWARE);
    }
    SerialDiagnostics::Failure(call, path_, error);
    return Fail(error);
}

bool TermiosSerialDevice::Usable() {
    if (fd_ < 0)
        return Fail(EBADF);
    if (gone_)
        return Fail(IE_HARDWARE);
    return true;
}

bool TermiosSerialDevice::SpeedSupported(std::uint32_t baud) {
    speed_t code;
    return SpeedCode(baud, code);
}

void TermiosSerialDevice::PermissionHint() const {
    // The first thing a new user meets on Linux: serial devices belong to a group
    // (usually dialout) that the user is not yet a member of. Say so once per device.
    static std::mutex guard;
    static std::set<std::string> told;
    std::lock_guard<std::mutex> lock(guard);
    if (!told.insert(path_).second)
        return;
    struct stat info {};
    const struct group* owner = nullptr;
    if (::stat(path_.c_str(), &info) == 0 && info.st_gid != 0)
        owner = ::getgrgid(info.st_gid);
    const std::string start = "Cannot open " + path_ + ": permission denied. To get access, ";
    if (owner != nullptr) {
        const std::string name = owner->gr_name;
        SerialDiagnostics::Advice(path_, start + "join the group '" + name +
                                             "' that owns it (sudo usermod -aG " + name +
                                             " $USER), then log out and in again.");
    } else {
        // Owned by root's group: joining it is no advice to give.
        SerialDiagnostics::Advice(path_, start +
                                             "have it given to a group you belong to (usually "
                                             "dialout, e.g. by a udev rule), then log out and in "
                                             "again.");
    }
}

bool TermiosSerialDevice::Open() {
    if (fd_ >= 0)
        return Fail(EBUSY);
    int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A directory is no serial device either.
        int error = errno == EISDIR ? ENOTTY : errno;
        SerialDiagnostics::Failure("open", path_, error);
        if (error == EACCES || error == EPERM)
            PermissionHint();
        return Fail(error);
    }
    auto refuse = [fd, this](const char* call, int error) {
        ::close(fd);
        SerialDiagnostics::Failure(call, path_, error);
        return Fail(error);
    };
    // What the user is told is that the device did not open, and why.
    if (!::isatty(fd))
        return refuse("open", ENOTTY);
    if (IsOwnTerminal(fd))
        return refuse("open", kErrorOwnTerminal);
    // The advisory lock also keeps out a second program running as root, which TIOCEXCL
    // does not, and a second port object of this program on the same device.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse("open", errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(fd, TIOCEXCL) != 0 && !NoModemLines(errno))
        return refuse("ioctl TIOCEXCL", errno);
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return refuse("tcgetattr", errno);
    original_ = t;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &t) != 0)
        return refuse("tcsetattr", errno);
    fd_ = fd;
    gone_ = false;
    state_ = DcbFromTermios(t);
    tx_.Clear();
    serial_icounter_struct counts{};
    haveCounters_ = ::ioctl(fd_, TIOCGICOUNT, &counts) == 0;
    if (haveCounters_) {
        counters_[0] = counts.frame;
        counters_[1] = counts.overrun;
        counters_[2] = counts.parity;
        counters_[3] = counts.brk;
        counters_[4] = counts.buf_overrun;
    }
    AskLowLatency();
    SerialDiagnostics::Opened(path_);
    return true;
}

void TermiosSerialDevice::AskLowLatency() {
    // A USB serial adapter holds received bytes back for its latency timer (16 ms on
    // some) unless asked not to; every acknowledgement of the loader would wait for it.
    // Devices without the setting (pseudo-terminals, some built-in ports) go on as they are.
    lowLatencySet_ = false;
    serial_struct serial{};
    if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0 || (serial.flags & ASYNC_LOW_LATENCY) != 0)
        return;
    serialFlags_ = serial.flags;
    serial.flags |= ASYNC_LOW_LATENCY;
    lowLatencySet_ = ::ioctl(fd_, TIOCSSERIAL, &serial) == 0;
}

void TermiosSerialDevice::RestoreLowLatency() {
    if (!lowLatencySet_)
        return;
    lowLatencySet_ = false;
    serial_struct serial{};
    if (::ioctl(fd_, TIOCGSERIAL, &serial) != 0)
        return;
    serial.flags = (serial.flags & ~ASYNC_LOW_LATENCY) | (serialFlags_ & ASYNC_LOW_LATENCY);
    ::ioctl(fd_, TIOCSSERIAL, &serial);
}

bool TermiosSerialDevice::Close() {
    if (fd_ < 0)
        return Fail(EBADF);
    tx_.Clear();
    if (!gone_) {
        // Output still in the kernel would hold close() for the driver's drain time
        // (up to half a minute with the line held): it is dropped, as Close promises.
        DropUnsentOutput();
        RestoreLowLatency();
        // Leave the line as we found it.
        ::tcsetattr(fd_, TCSANOW, &original_);
        ::ioctl(fd_, TIOCNXCL);
    }
    lowLatencySet_ = false;
    int result = ::close(fd_);
    int error = errno;
    fd_ = -1;
    gone_ = false;
    if (result != 0 && error != EINTR) {
        SerialDiagnostics::Failure("close", path_, error);
        return Fail(error);
    }
    return true;
}

bool TermiosSerialDevice::SetupComm(std::uint32_t rxSize, std::uint32_t txSize) {
    if (!Usable())
        return false;
    if (rxSize == 0 || txSize == 0)
        return Fail(EINVAL);
    Pump();
    rxSize_ = rxSize;
    tx_.Reset(txSize);
    return true;
}

bool TermiosSerialDevice::GetCommState(DCB& dcb) {
    if (!Usable())
        return false;
    dcb = state_;
    return true;
}

bool TermiosSerialDevice::SetCommState(const DCB& dcb) {
    if (!Usable())
        return false;
    speed_t speed;
    if (!SpeedCode(dcb.BaudRate, speed))
        return CallFailed("tcsetattr", IE_BAUDRATE);
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8)
        return CallFailed("tcsetattr", IE_BYTESIZE);
    if (dcb.Parity > SPACEPARITY || dcb.StopBits > TWOSTOPBITS)
        return CallFailed("tcsetattr", EINVAL);
    // Termios has no handshake on DTR and DSR: refused rather than quietly ignored.
    if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE || dcb.fOutxDsrFlow != 0)
        return CallFailed("tcsetattr", EOPNOTSUPP);
    termios before{};
    if (::tcgetattr(fd_, &before) != 0)
        return CallFailed("tcgetattr", errno);
    termios t = before;
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= kSizes[dcb.ByteSize - 5] | CLOCAL | CREAD;
    switch (dcb.Parity) {
        case ODDPARITY:
            t.c_cflag |= PARENB | PARODD;
            break;
        case EVENPARITY:
            t.c_cflag |= PARENB;
            break;
        case MARKPARITY:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case SPACEPARITY:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // With five data bits the UART makes one and a half stop bits of CSTOPB.
    if (dcb.StopBits != ONESTOPBIT)
        t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow != 0 || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (dcb.fOutX != 0)
        t.c_iflag |= IXON;
    if (dcb.fInX != 0)
        t.c_iflag |= IXOFF;
    if (dcb.fParity != 0 && dcb.Parity != NOPARITY)
        t.c_iflag |= INPCK;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
        int error = errno;
        return CallFailed("tcsetattr",
                          error == EINVAL && !SpeedAccepted(before, speed) ? IE_BAUDRATE : error);
    }
    // tcsetattr succeeds when any part was taken; a driver may quietly keep its old speed.
    termios now{};
    if (::tcgetattr(fd_, &now) == 0) {
        // (Data bits and parity are not checked: a pseudo-terminal always carries 8N.)
        if (cfgetospeed(&now) != speed) {
            ::tcsetattr(fd_, TCSANOW, &before);
            return CallFailed("tcsetattr", IE_BAUDRATE);
        }
    }
    LineIoctl(dcb.fDtrControl == DTR_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, TIOCM_DTR);
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE) {
        LineIoctl(dcb.fRtsControl == RTS_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, TIOCM_RTS);
    }
    state_ = dcb;
    return true;
}

bool TermiosSerialDevice::SpeedAccepted(const termios& before, speed_t speed) {
    // An EINVAL names no field: try the speed alone on the settings the device has.
    termios probe = before;
    ::cfsetispeed(&probe, speed);
    ::cfsetospeed(&probe, speed);
    bool accepted = ::tcsetattr(fd_, TCSANOW, &probe) == 0;
    ::tcsetattr(fd_, TCSANOW, &before);
    return accepted;
}

bool TermiosSerialDevice::SetCommTimeouts(const COMMTIMEOUTS& timeouts) {
    if (!Usable())
        return false;
    // Reads here always return at once with what has arrived; nothing else is offered.
    timeouts_ = timeouts;
    return true;
}

bool TermiosSerialDevice::GetCommMask(std::uint32_t& mask) {
    if (!Usable())
        return false;
    mask = eventMask_;
    return true;
}

bool TermiosSerialDevice::SetCommMask(std::uint32_t mask) {
    if (!Usable())
        return false;
    eventMask_ = mask;
    return true;
}

bool TermiosSerialDevice::WaitCommEvent(std::uint32_t& events) {
    std::uint32_t errors = 0;
    COMSTAT stat{};
    if (!ClearCommError(errors, &stat))
        return false;
    std::uint32_t now = (stat.cbInQue > 0 ? EV_RXCHAR : 0) | (stat.cbOutQue == 0 ? EV_TXEMPTY : 0);
    events = now & eventMask_;
    if (events == 0)
        return Fail(EAGAIN);  // would have to wait
    return true;
}

bool TermiosSerialDevice::LineIoctl(unsigned long request, int bits) {
    int result = bits == 0 ? ::ioctl(fd_, request) : ::ioctl(fd_, request, &bits);
    if (result == 0 || NoModemLines(errno))
        return true;
    return CallFailed("ioctl", errno);
}

bool TermiosSerialDevice::EscapeCommFunction(std::uint32_t function) {
    if (!Usable())
        return false;
    switch (function) {
        case SETDTR:
            return LineIoctl(TIOCMBIS, TIOCM_DTR);
        case CLRDTR:
            return LineIoctl(TIOCMBIC, TIOCM_DTR);
        case SETRTS:
            return LineIoctl(TIOCMBIS, TIOCM_RTS);
        case CLRRTS:
            return LineIoctl(TIOCMBIC, TIOCM_RTS);
        case SETBREAK:
            return SetCommBreak();
        case CLRBREAK:
            return ClearCommBreak();
        case SETXOFF:
            return ::tcflow(fd_, TCOOFF) == 0 || NoModemLines(errno) ? true
                                                                     : CallFailed("tcflow", errno);
        case SETXON:
            return ::tcflow(fd_, TCOON) == 0 || NoModemLines(errno) ? true
                                                                    : CallFailed("tcflow", errno);
        default:
            return Fail(EINVAL);
    }
}

bool TermiosSerialDevice::SetCommBreak() {
    if (!Usable())
        return false;
    return LineIoctl(TIOCSBRK, 0);
}

bool TermiosSerialDevice::ClearCommBreak() {
    if (!Usable())
        return false;
    return LineIoctl(TIOCCBRK, 0);
}

bool TermiosSerialDevice::ReadModemStatus(std::uint32_t& status) {
    status = 0;
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0) {
        // No modem lines (a pseudo-terminal): every input reads as off.
        return NoModemLines(errno) ? true : CallFailed("ioctl TIOCMGET", errno);
    }
    if ((lines & TIOCM_CTS) != 0)
        status |= MS_CTS_ON;
    if ((lines & TIOCM_DSR) != 0)
        status |= MS_DSR_ON;
    if ((lines & TIOCM_RNG) != 0)
        status |= MS_RING_ON;
    if ((lines & TIOCM_CAR) != 0)
        status |= MS_RLSD_ON;
    return true;
}

bool TermiosSerialDevice::GetCommModemStatus(std::uint32_t& status) {
    if (!Usable())
        return false;
    return ReadModemStatus(status);
}

std::uint32_t TermiosSerialDevice::TakeCounterErrors() {
    if (!haveCounters_)
        return 0;
    serial_icounter_struct counts{};
    if (::ioctl(fd_, TIOCGICOUNT, &counts) != 0)
        return 0;
    const int now[5] = {counts.frame, counts.overrun, counts.parity, counts.brk,
                        counts.buf_overrun};
    static constexpr std::uint32_t kBits[5] = {CE_FRAME, CE_OVERRUN, CE_RXPARITY, CE_BREAK,
                                               CE_RXOVER};
    std::uint32_t errors = 0;
    for (int i = 0; i < 5; ++i) {
        if (now[i] != counters_[i])
            errors |= kBits[i];
        counters_[i] = now[i];
    }
    return errors;
}

bool TermiosSerialDevice::ClearCommError(std::uint32_t& errors, COMSTAT* stat) {
    if (!Usable())
        return false;
    Pump();
    int waiting = 0;
    if (::ioctl(fd_, FIONREAD, &waiting) != 0)
        return CallFailed("ioctl FIONREAD", errno);
    errors = TakeCounterErrors();
    if (stat != nullptr) {
        *stat = COMSTAT{};
        int unsent = 0;
        if (::ioctl(fd_, TIOCOUTQ, &unsent) != 0 || unsent < 0)
            unsent = 0;
        stat->cbInQue = static_cast<std::uint32_t>(waiting < 0 ? 0 : waiting);
        stat->cbOutQue =
            static_cast<std::uint32_t>(tx_.Size()) + static_cast<std::uint32_t>(unsent);
        if (state_.fOutxCtsFlow != 0 || state_.fOutxDsrFlow != 0) {
            std::uint32_t modem = 0;
            if (ReadModemStatus(modem) && stat->cbOutQue > 0) {
                stat->fCtsHold = state_.fOutxCtsFlow != 0 && (modem & MS_CTS_ON) == 0;
                stat->fDsrHold = state_.fOutxDsrFlow != 0 && (modem & MS_DSR_ON) == 0;
            }
        }
    }
    return true;
}

bool TermiosSerialDevice::PurgeComm(std::uint32_t flags) {
    if (!Usable())
        return false;
    if ((flags & (PURGE_TXABORT | PURGE_TXCLEAR)) != 0) {
        tx_.Clear();
        if (!DropUnsentOutput())
            return CallFailed("tcflush", errno);
    }
    if ((flags & (PURGE_RXABORT | PURGE_RXCLEAR)) != 0) {
        if (::tcflush(fd_, TCIFLUSH) != 0)
            return CallFailed("tcflush", errno);
    }
    return true;
}

bool TermiosSerialDevice::DropUnsentOutput() {
    // Only what the kernel still queues is unsent. With nothing queued a flush could
    // still catch the last bytes on their way: a pseudo-terminal drops what its far end
    // has not taken in yet, though the write was complete.
    int unsent = 0;
    if (::ioctl(fd_, TIOCOUTQ, &unsent) == 0 && unsent == 0)
        return true;
    return ::tcflush(fd_, TCOFLUSH) == 0;
}

bool TermiosSerialDevice::Pump() {
    std::size_t length = 0;
    while (const std::uint8_t* run = tx_.FrontRun(length)) {
        ssize_t written = ::write(fd_, run, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true;
            return CallFailed("write", errno);
        }
        tx_.Drop(static_cast<std::size_t>(written));
        if (static_cast<std::size_t>(written) < length)
            return true;  // the kernel is full
    }
    return true;
}

void TermiosSerialDevice::WaitInput(unsigned ms) {
    if (!Usable())
        return;
    Clock& clock = GetClock();
    const std::uint64_t end = clock.MonotonicMs() + ms;
    for (;;) {
        if (!Pump())
            return;
        std::uint64_t now = clock.MonotonicMs();
        if (now >= end)
            return;
        // While our own queue holds output, room in the kernel is worth waking for too.
        const Waitable sources[] = {{fd_, Waitable::Ready::Input}, {fd_, Waitable::Ready::Room}};
        int ready = clock.WaitAny(std::span(sources, tx_.Empty() ? 1 : 2),
                                  static_cast<unsigned>(end - now));
        if (ready != 1)
            return;  // time is up, input has come, or the device has hung up
    }
}

bool TermiosSerialDevice::Read(std::uint8_t* data, std::uint32_t size, std::uint32_t& got,
                               OVERLAPPED* io) {
    got = 0;
    if (!Usable())
        return false;
    // (Queued output is pushed by ClearCommError, which the port calls before every read.)
    while (size > 0) {
        ssize_t count = ::read(fd_, data, size);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            return CallFailed("read", errno);
        }
        got = static_cast<std::uint32_t>(count);
        break;
    }
    if (io != nullptr)
        io->InternalHigh = got;
    return true;
}

bool TermiosSerialDevice::Write(const std::uint8_t* data, std::uint32_t size, std::uint32_t& queued,
                                OVERLAPPED* io) {
    queued = 0;
    if (!Usable())
        return false;
    if (!Pump())
        return false;
    if (tx_.Empty()) {
        // Nothing waiting: hand the kernel what it takes at once, queue the rest.
        while (queued < size) {
            ssize_t written = ::write(fd_, data + queued, size - queued);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    break;
                return CallFailed("write", errno);
            }
            if (written == 0)
                break;
            queued += static_cast<std::uint32_t>(written);
        }
    }
    queued += static_cast<std::uint32_t>(tx_.Push(data + queued, size - queued));
    if (io != nullptr)
        io->InternalHigh = queued;
    return true;
}

bool TermiosSerialDevice::TransmitCommChar(std::uint8_t byte) {
    if (!Usable())
        return false;
    if (!Pump())
        return false;
    if (tx_.Empty()) {
        ssize_t written = ::write(fd_, &byte, 1);
        if (written == 1)
            return true;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return CallFailed("write", errno);
        }
    }
    if (!tx_.PushFront(byte))
        return Fail(EAGAIN);
    return true;
}

}  // namespace platform
