#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

// The receiver's flash: a sparse 32-bit address space that remembers which bytes were
// programmed since their sector's last erase, and which sectors were erased in the
// current loader session (only those may be programmed in address mode). Like NOR
// flash, programming only clears bits: a byte programmed again keeps old AND new.
class FlashMemory {
  public:
    static constexpr std::uint32_t kPageSize = 4096;

    explicit FlashMemory(std::uint32_t sectorSize = 0x10000);

    std::uint32_t SectorSize() const { return sectorSize_; }
    // Number of sectors that the inclusive range touches (0 when start > end).
    std::uint64_t SectorsIn(std::uint32_t start, std::uint32_t endInclusive) const;
    // Erases every sector the inclusive range touches; they may be programmed from now on.
    void Erase(std::uint32_t start, std::uint32_t endInclusive);
    // True when every byte of [address, address + size) lies in an erased sector.
    bool IsErased(std::uint32_t address, std::size_t size) const;
    // A new loader session: nothing counts as erased any more; the contents stay.
    void ForgetErased() { erased_.clear(); }

    // Programs the bytes (cut at the top of the address space). Answers how many of them
    // do not hold the value given: programmed before since the last erase, with a bit
    // cleared that the new value has set.
    std::size_t Program(std::uint32_t address, const std::uint8_t* data, std::size_t size);
    // The contents; bytes never programmed (or erased since) read 0xFF.
    std::vector<std::uint8_t> Read(std::uint32_t address, std::size_t size) const;
    bool IsProgrammed(std::uint32_t address) const;
    // Every run of programmed bytes, by start address.
    std::map<std::uint32_t, std::vector<std::uint8_t>> ProgrammedRanges() const;
    std::uint64_t ProgrammedBytes() const;
    void Clear();

  private:
    struct Page {
        std::array<std::uint8_t, kPageSize> data;
        std::bitset<kPageSize> programmed;
    };
    void ClearRange(std::uint64_t start, std::uint64_t endExclusive);

    std::uint32_t sectorSize_;
    std::map<std::uint32_t, Page> pages_;  // by page index
    // Erased sectors as disjoint inclusive ranges of sector indices: first -> last.
    std::map<std::uint64_t, std::uint64_t> erased_;
};

}  // namespace sim
