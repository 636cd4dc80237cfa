#include "sim/FaultPlan.h"

namespace sim {

FaultPlan::FaultPlan(std::vector<FaultSpec> specs, std::uint64_t seed) : random_(seed) {
    entries_.reserve(specs.size());
    for (FaultSpec& spec : specs)
        entries_.push_back(Entry{spec, 0, 0});
}

bool FaultPlan::Strikes(Entry& entry) {
    const FaultSpec& spec = entry.spec;
    const std::uint64_t moment = ++entry.moments;
    if (moment < spec.at)
        return false;
    if (spec.count > 0 && entry.fired >= spec.count)
        return false;
    if (spec.every > 0 && (moment - spec.at) % spec.every != 0)
        return false;
    if (spec.probability >= 0.0) {
        // 53 random bits give a uniform number in [0, 1) that is the same on every library.
        const double draw = static_cast<double>(random_() >> 11) * (1.0 / 9007199254740992.0);
        if (draw >= spec.probability)
            return false;
    }
    ++entry.fired;
    return true;
}

FaultPlan::Hits FaultPlan::Roll(FaultEvent event) {
    Hits hits;
    for (Entry& entry : entries_) {
        if (entry.spec.on != event)
            continue;
        if (Strikes(entry)) {
            hits.Set(&entry.spec);
            ++strikes_;
        }
    }
    return hits;
}

}  // namespace sim
