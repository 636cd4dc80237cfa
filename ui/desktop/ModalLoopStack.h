#pragma once

#include <functional>
#include <vector>

namespace ui {

// The modal loops running now, innermost last: dialogs' loops, native boxes and the
// main loop. Only the innermost loop can return; when it has, the one below is looked
// at again, so a posted quit unwinds every loop in turn.
class ModalLoopStack {
  public:
    struct Loop {
        std::function<bool()> done;  // the framework's condition for this loop to end
        std::function<void()> end;   // makes the running loop return
        bool ending = false;
    };

    // Keeps a loop on the stack for its lifetime.
    class Scope {
      public:
        Scope(ModalLoopStack& stack, Loop& loop) : stack_(stack) { stack_.loops_.push_back(&loop); }
        ~Scope() { stack_.loops_.pop_back(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

      private:
        ModalLoopStack& stack_;
    };

    // Ends the innermost loop when its condition holds; answers whether it did.
    bool EndInnermostIfDone();
    std::size_t Depth() const { return loops_.size(); }

  private:
    std::vector<Loop*> loops_;
};

}  // namespace ui
