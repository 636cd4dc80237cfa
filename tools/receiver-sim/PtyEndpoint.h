#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The simulator's end of a pseudo-terminal: the host opens the slave device like a
// serial port; the simulator reads and writes the master and looks at the line
// settings the host gave the slave.
class PtyEndpoint {
  public:
    PtyEndpoint() = default;
    ~PtyEndpoint();
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;

    // Creates the pseudo-terminal, raw at the given speed until a host sets its own;
    // false with a reason on failure.
    bool Open(std::uint32_t initialBaud, std::string& error);
    void Close();
    bool IsOpen() const { return master_ >= 0; }
    const std::string& DevicePath() const { return path_; }
    int Descriptor() const { return master_; }

    // The line speed the host set on its side, in bit/s (0 when unknown).
    std::uint32_t HostBaud() const;
    // True while a host has the device open.
    bool HostAttached() const;
    // What the host has written, without waiting: a count, 0 for nothing, -1 on error.
    long Read(std::uint8_t* buffer, std::size_t size);
    // Writes what the device takes now; answers the count taken (0 when full), -1 on error.
    long Write(const std::uint8_t* data, std::size_t size);

  private:
    int master_ = -1;
    std::string path_;
};
