#pragma once

#include <memory>

#include "platform/Waitable.h"

namespace ui {

// Turns Ctrl-C into something the loop can wait for: on POSIX the SIGINT handler writes
// a byte into a pipe whose read end is the source; on Windows the console control
// handler sets an event. One at a time; the previous handler is put back when it ends.
class InterruptSignal {
  public:
    InterruptSignal();
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

    platform::Waitable Source() const;
    // How many interrupts arrived since the last call.
    int Take();

  private:
    struct Handler;  // the platform's own state
    std::unique_ptr<Handler> handler_;
};

}  // namespace ui
