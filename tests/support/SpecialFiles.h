#pragma once

#include <string>
#include <string_view>

// Something that exists at a path and is not a regular file. Where the system has FIFOs
// it is one, held open by a writer with `waiting` in it, so that a reader that opened it
// anyway would not wait; elsewhere it is a folder. Removed with the owner.
class NonRegularFile {
  public:
    explicit NonRegularFile(std::string path, std::string_view waiting = {});
    ~NonRegularFile();
    NonRegularFile(const NonRegularFile&) = delete;
    NonRegularFile& operator=(const NonRegularFile&) = delete;

    bool Made() const { return made_; }

  private:
    std::string path_;
    bool made_ = false;
    int writer_ = -1;
};

// While it lives, files this process writes cannot grow, as on a full disk. Active() is
// false where the system cannot do that; the test is then skipped.
class FullDisk {
  public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Active() const { return active_; }

  private:
    bool active_ = false;
    unsigned long long previousLimit_ = 0;
    void (*previousHandler_)(int) = nullptr;
};
