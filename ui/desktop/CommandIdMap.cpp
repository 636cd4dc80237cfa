#include "ui/desktop/CommandIdMap.h"

namespace ui {

int CommandIdMap::ToPrivate(int systemId) {
    auto found = toPrivate_.find(systemId);
    if (found != toPrivate_.end())
        return found->second;
    int privateId = next_++;
    toPrivate_.emplace(systemId, privateId);
    toSystem_.emplace(privateId, systemId);
    return privateId;
}

std::optional<int> CommandIdMap::ToSystem(int privateId) const {
    auto found = toSystem_.find(privateId);
    if (found == toSystem_.end())
        return std::nullopt;
    return found->second;
}

std::optional<int> CommandIdMap::FindPrivate(int systemId) const {
    auto found = toPrivate_.find(systemId);
    if (found == toPrivate_.end())
        return std::nullopt;
    return found->second;
}

}  // namespace ui
