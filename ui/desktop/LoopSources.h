#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace ui {

// The sources this backend puts on the toolkit's main loop: one timeout armed for the
// next thing due (a window timer, or a look at the modal loops), and a watch per file
// descriptor. Nothing is armed while nothing is due: an idle program does not poll.
// While held (the program is in one of its own busy waits), nothing is dispatched:
// ticks and input wait until the wait is over, as they would on a blocked thread.
class LoopSources {
  public:
    explicit LoopSources(std::function<void()> onDue);
    ~LoopSources();
    LoopSources(const LoopSources&) = delete;
    LoopSources& operator=(const LoopSources&) = delete;

    // Calls onDue at this monotonic time, or earlier when already armed earlier.
    void ArmAt(std::uint64_t dueMs);
    // Calls onReadable, then afterEvent, whenever fd has data to read (or hung up).
    void Watch(int fd, std::function<void()> onReadable, std::function<void()> afterEvent);
    void Unwatch(int fd);

    void Hold() { ++holds_; }
    void Release() { --holds_; }
    bool Held() const { return holds_ > 0; }

    // Called by the main loop's callbacks.
    bool FireTimeout();
    bool FireWatch(int fd);

    // How often a held tick looks again whether the busy wait is over.
    static constexpr unsigned kHeldRetryMs = 20;

  private:
    struct FdWatch {
        int fd;
        unsigned sourceId = 0;
        std::function<void()> onReadable;
        std::function<void()> afterEvent;
    };
    void AddWatchSource(FdWatch& watch);
    void ResumeWatches();
    void RemoveTimeout();

    std::function<void()> onDue_;
    unsigned timeoutId_ = 0;
    std::uint64_t timeoutDueMs_ = 0;
    std::map<int, std::unique_ptr<FdWatch>> watches_;
    int holds_ = 0;
};

}  // namespace ui
