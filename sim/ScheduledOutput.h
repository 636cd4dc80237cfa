#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

namespace sim {

// Answers the receiver has decided on but not yet sent, in time order. An entry may
// carry a tag: what else happens when it goes out (a phase change, a completed load).
class ScheduledOutput {
  public:
    static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

    struct Entry {
        std::uint64_t atUs = 0;
        std::vector<std::uint8_t> bytes;
        int tag = 0;
    };

    // Queues bytes for atUs, or for the time of the last entry when that is later: the
    // receiver answers in the order it decided.
    void Add(std::uint64_t atUs, std::vector<std::uint8_t> bytes, int tag = 0) {
        if (!entries_.empty() && entries_.back().atUs > atUs)
            atUs = entries_.back().atUs;
        entries_.push_back(Entry{atUs, std::move(bytes), tag});
    }
    std::uint64_t NextUs() const { return entries_.empty() ? kNever : entries_.front().atUs; }
    // The last time already promised, so that later answers can queue behind it.
    std::uint64_t LastUs() const { return entries_.empty() ? 0 : entries_.back().atUs; }
    bool PopDue(std::uint64_t nowUs, Entry& out) {
        if (entries_.empty() || entries_.front().atUs > nowUs)
            return false;
        out = std::move(entries_.front());
        entries_.pop_front();
        return true;
    }
    bool Empty() const { return entries_.empty(); }
    void Clear() { entries_.clear(); }

  private:
    std::deque<Entry> entries_;
};

}  // namespace sim
