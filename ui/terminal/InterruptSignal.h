#pragma once

#include <signal.h>

namespace ui {

// Turns SIGINT into something a poll loop can wait for: the handler writes a byte into
// a pipe whose read end the loop watches. One at a time; the previous handler is put
// back when it ends.
class InterruptSignal {
  public:
    InterruptSignal();
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

    int Fd() const { return pipe_[0]; }
    // How many interrupts arrived since the last call.
    int Take();

  private:
    int pipe_[2] = {-1, -1};
    struct sigaction previous_ {};
};

}  // namespace ui
