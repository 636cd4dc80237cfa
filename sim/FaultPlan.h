#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "sim/FaultRule.h"

namespace sim {

// The faults of one receiver and where each stands: counts the moments of each event
// and decides, deterministically for a given seed, which faults strike now.
class FaultPlan {
  public:
    static constexpr std::size_t kKinds = 12;

    // The faults that strike at one moment, at most one rule per kind.
    class Hits {
      public:
        const FaultRule* Get(FaultKind kind) const { return hits_[Index(kind)]; }
        bool Has(FaultKind kind) const { return Get(kind) != nullptr; }
        bool Any() const {
            for (const FaultRule* s : hits_) {
                if (s != nullptr)
                    return true;
            }
            return false;
        }
        void Set(const FaultRule* rule) {
            if (hits_[Index(rule->kind)] == nullptr)
                hits_[Index(rule->kind)] = rule;
        }

      private:
        static std::size_t Index(FaultKind kind) { return static_cast<std::size_t>(kind); }
        std::array<const FaultRule*, kKinds> hits_{};
    };

    FaultPlan() = default;
    FaultPlan(std::vector<FaultRule> rules, std::uint64_t seed);

    // One more moment of this event: which faults strike at it.
    Hits Roll(FaultEvent event);
    // Total strikes so far.
    std::uint64_t Strikes() const { return strikes_; }
    bool Empty() const { return entries_.empty(); }

  private:
    struct Entry {
        FaultRule rule;
        std::uint64_t moments = 0;
        std::uint64_t fired = 0;
    };
    bool Strikes(Entry& entry);

    std::vector<Entry> entries_;
    std::mt19937_64 random_;
    std::uint64_t strikes_ = 0;
};

}  // namespace sim
