#pragma once

#include <memory>

namespace ui {

// What the terminal front end changes about its process for as long as it runs, and
// puts back: on POSIX a reader that goes away must not kill the program in the middle
// of an upload (SIGPIPE ignored); on Windows the console speaks UTF-8 and understands
// the escape that rewrites the progress line.
class ConsoleSession {
  public:
    ConsoleSession();
    ~ConsoleSession();
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

  private:
    struct Saved;  // what is put back
    std::unique_ptr<Saved> saved_;
};

}  // namespace ui
