#include "sim/FaultPlan.h"

namespace sim {

FaultPlan::FaultPlan(std::vector<FaultRule> rules, std::uint64_t seed) : random_(seed) {
    entries_.reserve(rules.size());
    for (FaultRule& rule : rules)
        entries_.push_back(Entry{rule, 0, 0});
}

bool FaultPlan::Strikes(Entry& entry) {
    const FaultRule& rule = entry.rule;
    const std::uint64_t moment = ++entry.moments;
    if (moment < rule.at)
        return false;
    if (rule.count > 0 && entry.fired >= rule.count)
        return false;
    if (rule.every > 0 && (moment - rule.at) % rule.every != 0)
        return false;
    if (rule.probability >= 0.0) {
        // 53 random bits give a uniform number in [0, 1) that is the same on every library.
        const double draw = static_cast<double>(random_() >> 11) * (1.0 / 9007199254740992.0);
        if (draw >= rule.probability)
            return false;
    }
    ++entry.fired;
    return true;
}

FaultPlan::Hits FaultPlan::Roll(FaultEvent event) {
    Hits hits;
    for (Entry& entry : entries_) {
        if (entry.rule.on != event)
            continue;
        if (Strikes(entry)) {
            hits.Set(&entry.rule);
            ++strikes_;
        }
    }
    return hits;
}

}  // namespace sim
