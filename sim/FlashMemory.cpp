#include "sim/FlashMemory.h"

#include <algorithm>
#include <iterator>

namespace sim {

namespace {
constexpr std::uint64_t kTop = 0x100000000ULL;
}

FlashMemory::FlashMemory(std::uint32_t sectorSize)
    : sectorSize_(sectorSize >= kPageSize && (sectorSize & (sectorSize - 1)) == 0 ? sectorSize
                                                                                  : 0x10000) {}

std::uint64_t FlashMemory::SectorsIn(std::uint32_t start, std::uint32_t endInclusive) const {
    if (start > endInclusive)
        return 0;
    return endInclusive / sectorSize_ - start / sectorSize_ + 1;
}

void FlashMemory::Erase(std::uint32_t start, std::uint32_t endInclusive) {
    if (start > endInclusive)
        return;
    std::uint64_t first = start / sectorSize_;
    std::uint64_t last = endInclusive / sectorSize_;
    ClearRange(first * sectorSize_, (last + 1) * sectorSize_);
    // Merge with every erased range that overlaps or touches.
    auto it = erased_.upper_bound(first);
    if (it != erased_.begin()) {
        auto prev = std::prev(it);
        if (prev->second + 1 >= first)
            it = prev;
    }
    while (it != erased_.end() && it->first <= last + 1) {
        first = std::min(first, it->first);
        last = std::max(last, it->second);
        it = erased_.erase(it);
    }
    erased_[first] = last;
}

bool FlashMemory::IsErased(std::uint32_t address, std::size_t size) const {
    if (size == 0)
        return true;
    const std::uint64_t end = static_cast<std::uint64_t>(address) + size - 1;
    if (end >= kTop)
        return false;
    const std::uint64_t first = address / sectorSize_;
    const std::uint64_t last = end / sectorSize_;
    auto it = erased_.upper_bound(first);
    if (it == erased_.begin())
        return false;
    --it;
    return it->first <= first && it->second >= last;
}

std::size_t FlashMemory::Program(std::uint32_t address, const std::uint8_t* data,
                                 std::size_t size) {
    std::uint64_t at = address;
    std::size_t done = 0;
    std::size_t corrupted = 0;
    while (done < size && at < kTop) {
        const auto pageIndex = static_cast<std::uint32_t>(at / kPageSize);
        const std::size_t offset = at % kPageSize;
        const std::size_t chunk = std::min<std::size_t>(kPageSize - offset, size - done);
        auto [it, inserted] = pages_.try_emplace(pageIndex);
        Page& page = it->second;
        if (inserted)
            page.data.fill(0xFF);
        for (std::size_t i = 0; i < chunk; ++i) {
            // Programming clears bits and never sets one; only an erase does.
            std::uint8_t& cell = page.data[offset + i];
            cell &= data[done + i];
            if (cell != data[done + i])
                ++corrupted;
            page.programmed.set(offset + i);
        }
        done += chunk;
        at += chunk;
    }
    return corrupted;
}

std::vector<std::uint8_t> FlashMemory::Read(std::uint32_t address, std::size_t size) const {
    std::vector<std::uint8_t> out(size, 0xFF);
    std::uint64_t at = address;
    std::size_t done = 0;
    while (done < size && at < kTop) {
        const auto pageIndex = static_cast<std::uint32_t>(at / kPageSize);
        const std::size_t offset = at % kPageSize;
        const std::size_t chunk = std::min<std::size_t>(kPageSize - offset, size - done);
        auto it = pages_.find(pageIndex);
        if (it != pages_.end()) {
            for (std::size_t i = 0; i < chunk; ++i) {
                if (it->second.programmed.test(offset + i))
                    out[done + i] = it->second.data[offset + i];
            }
        }
        done += chunk;
        at += chunk;
    }
    return out;
}

bool FlashMemory::IsProgrammed(std::uint32_t address) const {
    auto it = pages_.find(address / kPageSize);
    return it != pages_.end() && it->second.programmed.test(address % kPageSize);
}

std::map<std::uint32_t, std::vector<std::uint8_t>> FlashMemory::ProgrammedRanges() const {
    std::map<std::uint32_t, std::vector<std::uint8_t>> ranges;
    std::vector<std::uint8_t>* run = nullptr;
    std::uint64_t runEnd = 0;  // address after the last byte of the open run
    for (const auto& [pageIndex, page] : pages_) {
        const std::uint64_t base = static_cast<std::uint64_t>(pageIndex) * kPageSize;
        for (std::size_t i = 0; i < kPageSize; ++i) {
            if (!page.programmed.test(i))
                continue;
            const std::uint64_t address = base + i;
            if (run == nullptr || address != runEnd) {
                run = &ranges[static_cast<std::uint32_t>(address)];
            }
            run->push_back(page.data[i]);
            runEnd = address + 1;
        }
    }
    return ranges;
}

std::uint64_t FlashMemory::ProgrammedBytes() const {
    std::uint64_t total = 0;
    for (const auto& entry : pages_)
        total += entry.second.programmed.count();
    return total;
}

void FlashMemory::Clear() {
    pages_.clear();
    erased_.clear();
}

void FlashMemory::ClearRange(std::uint64_t start, std::uint64_t endExclusive) {
    // Sectors are whole pages, so erasing drops whole pages.
    auto first = pages_.lower_bound(static_cast<std::uint32_t>(start / kPageSize));
    auto last = endExclusive >= kTop
                    ? pages_.end()
                    : pages_.lower_bound(static_cast<std::uint32_t>(endExclusive / kPageSize));
    pages_.erase(first, last);
}

}  // namespace sim
