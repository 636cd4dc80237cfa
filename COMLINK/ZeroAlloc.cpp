#include "COMLINK/ZeroAlloc.h"

#include <cstdlib>

namespace {
int allowed = -1;
}

void* ZeroAlloc(std::size_t bytes) {
    if (allowed == 0)
        return nullptr;
    if (allowed > 0)
        --allowed;
    return std::calloc(1, bytes == 0 ? 1 : bytes);
}

void ZeroFree(void* block) {
    std::free(block);
}

void ZeroAllocFailAfter(int successes) {
    allowed = successes < 0 ? -1 : successes;
}
