// tarnwick-serial-far-end: the far end of a pseudo-terminal, driven over a loopback TCP
// connection. It lets a serial device under test in another world (a Windows program
// under Wine, whose COM1 is this pseudo-terminal) check what it sent and get answers.
//
//   tarnwick-serial-far-end LINK     makes LINK a symbolic link to the slave device and
//                                    prints the TCP port it listens on (127.0.0.1).
// Commands, one a line, each answered with one line:
//   SEND <ms> <hex>    sends the bytes after ms (0: now)                -> OK
//   RECV <max> <ms>    what the device sent, until max bytes or ms      -> <hex>
// It ends when standard input closes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Later {
    Clock::time_point due;
    std::string bytes;
};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return out;
}

void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0)
                return;
        }
    }
}

std::string Receive(int master, std::size_t max, int ms) {
    std::string got;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (got.size() < max) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        pollfd p{master, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[4096];
        ssize_t n = ::read(master, buffer, std::min(sizeof buffer, max - got.size()));
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-serial-far-end LINK\n");
        return 2;
    }
    int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return 1;
    termios raw{};
    ::tcgetattr(master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    std::error_code ignored;
    std::filesystem::remove(argv[1], ignored);
    std::filesystem::create_symlink(::ptsname(master), argv[1]);

    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 4) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);

    int client = -1;
    std::string command;
    std::vector<Later> later;
    for (;;) {
        int timeout = -1;
        for (const Later& item : later) {
            auto ms = std::chrono::ceil<std::chrono::milliseconds>(item.due - Clock::now()).count();
            timeout = timeout < 0 ? std::max<int>(0, static_cast<int>(ms))
                                  : std::min(timeout, std::max<int>(0, static_cast<int>(ms)));
        }
        pollfd fds[3] = {{STDIN_FILENO, POLLIN, 0}, {listener, POLLIN, 0}, {client, POLLIN, 0}};
        ::poll(fds, client >= 0 ? 3 : 2, timeout);
        for (std::size_t i = 0; i < later.size();) {
            if (later[i].due <= Clock::now()) {
                WriteAll(master, later[i].bytes);
                later.erase(later.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
        char buffer[65536];
        if (fds[0].revents != 0 && ::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            return 0;
        if (fds[1].revents != 0) {
            if (client >= 0)
                ::close(client);
            client = ::accept(listener, nullptr, nullptr);
            command.clear();
            continue;
        }
        if (client < 0 || fds[2].revents == 0)
            continue;
        ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(client);
            client = -1;
            continue;
        }
        command.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = command.find('\n')) != std::string::npos;) {
            std::string line = command.substr(0, end);
            command.erase(0, end + 1);
            char verb[8] = {};
            long first = 0, second = 0;
            char hex[65536 * 2 + 1] = {};
            std::string answer = "ERROR";
            if (std::sscanf(line.c_str(), "%7s %ld %ld", verb, &first, &second) == 3 &&
                std::string(verb) == "RECV") {
                answer =
                    Hex(Receive(master, static_cast<std::size_t>(first), static_cast<int>(second)));
            } else if (std::sscanf(line.c_str(), "%7s %ld %131072s", verb, &first, hex) >= 2 &&
                       std::string(verb) == "SEND") {
                later.push_back({Clock::now() + std::chrono::milliseconds(first), Unhex(hex)});
                answer = "OK";
            }
            WriteAll(client, answer + "\n");
        }
    }
}
