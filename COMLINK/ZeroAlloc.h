#pragma once

#include <cstddef>

// The library's allocation: a block of the given size, all 0, or nullptr when memory is
// exhausted. Blocks go back with ZeroFree (nullptr is fine).
void* ZeroAlloc(std::size_t bytes);
void ZeroFree(void* block);

// A zero-filled object of a plain type (implicit-lifetime), or nullptr.
template <typename T>
T* ZeroNew() {
    return static_cast<T*>(ZeroAlloc(sizeof(T)));
}

// For tests: the next `successes` allocations succeed and the ones after fail, until
// called again with a negative number (never fail).
void ZeroAllocFailAfter(int successes);
