#pragma once

#include <cstdint>

// Process-wide: which port indices some port object holds open (1) or not (0). Keeps a
// second port object of this program off a port that is already open.
class PortOpenCount {
  public:
    // COM1 to COM16.
    static constexpr int kEntries = 16;

    static bool InRange(int portIndex) { return portIndex >= 0 && portIndex < kEntries; }
    // The count of an index; 0 outside the table.
    static std::uint16_t Get(int portIndex);
    static void Set(int portIndex, std::uint16_t count);
    // Lowers the count by one if it is above 0.
    static void Lower(int portIndex);

  private:
    static std::uint16_t counts_[kEntries];
};
