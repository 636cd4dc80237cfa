#pragma once

#include <cstddef>
#include <memory>

// The library's allocation: a block of the given size, all 0, or nullptr when memory is
// exhausted. Blocks go back with ZeroFree (nullptr is fine).
void* ZeroAlloc(std::size_t bytes);
void ZeroFree(void* block);

// Gives a block back with ZeroFree.
struct ZeroDeleter {
    void operator()(void* block) const { ZeroFree(block); }
};

// The owner of a zero-filled object: no path can leak it or give it back twice.
template <typename T>
using ZeroPtr = std::unique_ptr<T, ZeroDeleter>;

// A zero-filled object of a plain type (implicit-lifetime), or an empty owner.
template <typename T>
ZeroPtr<T> ZeroNew() {
    return ZeroPtr<T>(static_cast<T*>(ZeroAlloc(sizeof(T))));
}

// For tests: the next `successes` allocations succeed and the ones after fail, until
// called again with a negative number (never fail).
void ZeroAllocFailAfter(int successes);
