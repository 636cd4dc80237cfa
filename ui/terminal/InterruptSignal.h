#pragma once

#include <memory>

#include "platform/Waitable.h"

namespace ui {

// Turns Ctrl-C, and the requests to end the program, into something the loop can wait
// for: on POSIX the handler of SIGINT, SIGTERM and SIGHUP writes the signal's number into
// a pipe whose read end is the source; on Windows the console control handler sets an
// event. One at a time; the previous handlers are put back when it ends.
class InterruptSignal {
  public:
    // What arrived since the last look.
    struct Arrived {
        int interrupts = 0;  // Ctrl-C (and Ctrl-Break on Windows)
        int endCode = 0;     // a request to end (SIGTERM, SIGHUP, a closed console) as the
                             // status a shell reports for it; 0 for none
    };

    InterruptSignal();
    ~InterruptSignal();
    InterruptSignal(const InterruptSignal&) = delete;
    InterruptSignal& operator=(const InterruptSignal&) = delete;

    platform::Waitable Source() const;
    Arrived Take();

  private:
    struct Handler;  // the platform's own state
    std::unique_ptr<Handler> handler_;
};

}  // namespace ui
