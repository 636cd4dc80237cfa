#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

class ScriptedBackend;

// One scripted reaction: when something appears (or at a time), wait, then act.
// Actions run in the order given, on the window that triggered the rule (for a rule
// keyed by time: on the window on top at that moment).
//
// A rule is an expectation: one whose actions never ran fails the test when the script
// ends, unless it is marked Repeat() (matches every appearance, also none).
class ScriptRule {
  public:
    enum class Trigger { MessageBox, Dialog, ControlText, FileOpen, Time };

    struct Action {
        enum class Kind { Press, Type, Enter, Close, Choose, CancelFile, Run };
        Action(Kind k, int i = 0, std::string t = {}, std::function<void()> r = {})
            : kind(k), id(i), text(std::move(t)), run(std::move(r)) {}
        Kind kind;
        int id = 0;
        std::string text;
        std::function<void()> run;
    };

    // Waits this long (virtual time) after the trigger before acting.
    ScriptRule& After(std::uint64_t ms) {
        delayMs_ = ms;
        return *this;
    }
    // Matches every appearance, not only the first; none at all is fine too.
    ScriptRule& Repeat() {
        repeat_ = true;
        return *this;
    }
    // A message box's button, or a dialog's push or radio button.
    ScriptRule& Press(int id) { return Add({Action::Kind::Press, id}); }
    ScriptRule& Type(int id, std::string text) {
        return Add({Action::Kind::Type, id, std::move(text)});
    }
    ScriptRule& Enter() { return Add({Action::Kind::Enter}); }
    ScriptRule& Close() { return Add({Action::Kind::Close}); }
    // Answers a file-open dialog.
    ScriptRule& Choose(std::string path) { return Add({Action::Kind::Choose, 0, std::move(path)}); }
    ScriptRule& CancelFile() { return Add({Action::Kind::CancelFile}); }
    ScriptRule& Run(std::function<void()> run) {
        return Add({Action::Kind::Run, 0, {}, std::move(run)});
    }

  private:
    friend class ScriptedBackend;

    ScriptRule& Add(Action action) {
        actions_.push_back(std::move(action));
        return *this;
    }

    Trigger trigger_ = Trigger::Time;
    std::string text_;     // box text, dialog caption, file dialog title
    std::string caption_;  // box caption (empty: any), or the dialog of a control-text rule
    int controlId_ = 0;
    std::uint64_t atMs_ = 0;
    std::uint64_t delayMs_ = 0;
    bool repeat_ = false;
    bool used_ = false;   // matched (a rule that does not repeat matches once)
    bool fired_ = false;  // its actions ran
    std::vector<Action> actions_;
};

}  // namespace ui
