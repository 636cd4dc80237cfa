#include <signal.h>

#include "ui/terminal/ConsoleSession.h"

namespace ui {

struct ConsoleSession::Saved {
    struct sigaction pipeAction {};
};

ConsoleSession::ConsoleSession() : saved_(std::make_unique<Saved>()) {
    // A reader that goes away must not kill the program in the middle of an upload; the
    // output just stops.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &saved_->pipeAction);
}

ConsoleSession::~ConsoleSession() {
    ::sigaction(SIGPIPE, &saved_->pipeAction, nullptr);
}

}  // namespace ui
