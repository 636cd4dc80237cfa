// The Windows serial device on COM1 under Wine, where COM1 is a pseudo-terminal whose far
// end tarnwick-serial-far-end serves over loopback TCP (TARNWICK_FAR_END=<port>, set by
// tools/wine-tests.sh). Without it, the suite is skipped.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/SerialDiagnostics.h"
#include "platform/win32/Win32SerialDevice.h"
#include "tests/platform/SerialConformance.h"

// After the project's headers, whose names the system's macros would rename.
#include <winsock2.h>

namespace {

class FarEndLine : public SerialLine {
  public:
    explicit FarEndLine(int port) {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = ::htons(static_cast<u_short>(port));
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        connected_ = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~FarEndLine() override {
        ::closesocket(socket_);
        ::WSACleanup();
    }
    bool Connected() const { return connected_; }

    std::shared_ptr<platform::SerialDevice> NewDevice() override {
        return std::make_shared<platform::Win32SerialDevice>("\\\\.\\COM1");
    }
    void Send(const std::string& bytes, int afterMs) override {
        Ask("SEND " + std::to_string(afterMs) + " " + Hex(bytes));
    }
    std::string Receive(std::size_t size, int ms) override {
        std::string hex = Ask("RECV " + std::to_string(size) + " " + std::to_string(ms));
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        return bytes;
    }

  private:
    static std::string Hex(const std::string& bytes) {
        std::string out;
        char pair[3];
        for (unsigned char c : bytes) {
            std::snprintf(pair, sizeof pair, "%02x", c);
            out += pair;
        }
        return out;
    }
    // One command, one answer line.
    std::string Ask(const std::string& command) {
        std::string line = command + "\n";
        ::send(socket_, line.data(), static_cast<int>(line.size()), 0);
        std::string answer;
        char c = 0;
        while (::recv(socket_, &c, 1, 0) == 1 && c != '\n')
            answer += c;
        return answer;
    }

    SOCKET socket_ = INVALID_SOCKET;
    bool connected_ = false;
};

std::unique_ptr<SerialLine> FarEnd() {
    const char* port = std::getenv("TARNWICK_FAR_END");
    if (port == nullptr)
        return nullptr;
    auto line = std::make_unique<FarEndLine>(std::atoi(port));
    return line->Connected() ? std::move(line) : nullptr;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Win32, SerialConformance,
                         ::testing::Values(SerialBackendCase{"Win32", FarEnd, false, true}),
                         ByName);

// A port the system does not have: the failing call, the device and the system's own
// words reach the diagnostics.
TEST(Win32SerialDevice, AMissingPortIsNamedWithTheCallAndTheSystemsText) {
    platform::Win32SerialDevice device("\\\\.\\COM200");
    EXPECT_FALSE(device.Open());
    EXPECT_EQ(device.LastSystemError(), ERROR_FILE_NOT_FOUND);
    const std::string said = platform::SerialDiagnostics::LastFailure("\\\\.\\COM200");
    EXPECT_EQ(said.rfind("CreateFileW \\\\.\\COM200: ", 0), 0u) << said;
    EXPECT_GT(said.size(), std::string("CreateFileW \\\\.\\COM200: ").size() + 4) << said;
}
