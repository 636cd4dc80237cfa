#include "COMLINK/PortOpenCount.h"

std::uint16_t PortOpenCount::counts_[PortOpenCount::kEntries] = {};

std::uint16_t PortOpenCount::Get(int portIndex) {
    return InRange(portIndex) ? counts_[portIndex] : 0;
}

void PortOpenCount::Set(int portIndex, std::uint16_t count) {
    if (InRange(portIndex))
        counts_[portIndex] = count;
}

void PortOpenCount::Lower(int portIndex) {
    if (InRange(portIndex) && counts_[portIndex] > 0)
        --counts_[portIndex];
}
