#include "platform/Clock.h"

#include "platform/SystemClock.h"

namespace platform {

namespace {
SystemClock systemClock;
Clock* current = &systemClock;
}  // namespace

Clock& GetClock() {
    return *current;
}

Clock* SetClock(Clock* clock) {
    Clock* previous = current;
    current = clock != nullptr ? clock : &systemClock;
    return previous;
}

}  // namespace platform
