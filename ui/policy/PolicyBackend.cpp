#include "ui/policy/PolicyBackend.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "ui/Application.h"
#include "ui/Dialog.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Runtime.h"
#include "ui/terminal/ChoiceName.h"
#include "ui/terminal/DialogText.h"

namespace ui {

namespace {

constexpr int kLongestPollMs = 60000;

// The buttons and radio buttons a person could press, as the line that ends the run
// names them.
std::string Choices(const Dialog& dialog) {
    std::string choices;
    for (const ControlState& control : dialog.Controls()) {
        ControlKind kind = control.source->kind;
        if ((kind == ControlKind::PushButton || kind == ControlKind::RadioButton) &&
            control.enabled && !control.text.empty()) {
            choices += (choices.empty() ? "" : ", ") + ChoiceName::Shown(control.text);
        }
    }
    return choices;
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

PolicyBackend::PolicyBackend(PolicyAnswers answers, int progressFd)
    : answers_(std::move(answers)), progress_(progressFd) {
    Runtime::Get().Reset();
    if (answers_.timeoutMs != 0)
        deadlineMs_ = Runtime::Get().NowMs() + answers_.timeoutMs;
}

PolicyBackend::~PolicyBackend() {
    Runtime& runtime = Runtime::Get();
    if (runtime.HasBackend() && &runtime.UseBackend() == this)
        runtime.SetBackend(nullptr);
}

bool PolicyBackend::TimedOut() {
    Runtime& runtime = Runtime::Get();
    if (!deadlineMs_ || runtime.NowMs() < *deadlineMs_ || runtime.QuitPosted())
        return false;
    PrintLine("Upload failed: no end after " + std::to_string(answers_.timeoutMs / 1000) +
              " s (--timeout)");
    PostQuitMessage(kTimedOutCode);
    return true;
}

void PolicyBackend::RunModalLoop(const std::function<bool()>& done) {
    Runtime& runtime = Runtime::Get();
    while (!done() && !runtime.QuitPosted() && !TimedOut()) {
        const std::vector<Dialog*>& stack = runtime.ModalStack();
        Dialog* top = stack.empty() ? nullptr : stack.back();
        // A dialog without a timer waits for a person.
        if (top != nullptr && !top->IsEnding() && !runtime.Timers().HasTimers(top)) {
            if (!Answer(*top))
                Unanswered(top->Caption(), Choices(*top));
            runtime.FlushUpdates();
            continue;
        }
        PumpOnce();
    }
}

void PolicyBackend::RunMainLoop() {
    // Nothing to command: the one-shot command runs its work itself.
    if (!Runtime::Get().QuitPosted())
        PostQuitMessage(0);
}

bool PolicyBackend::Answer(Dialog& dialog) {
    if (answered_ == &dialog)
        return false;
    for (const std::string& name : answers_.buttons) {
        const ControlState* button = DialogText::FindButton(dialog, name, true);
        if (button != nullptr && button->enabled) {
            answered_ = &dialog;
            dialog.ClickButton(button->source->id);
            return true;
        }
    }
    return false;
}

void PolicyBackend::Unanswered(const std::string& caption, const std::string& choices) {
    std::string option = answers_.optionFor ? answers_.optionFor(caption) : std::string();
    std::string line = "\"" + caption + "\" needs an answer";
    if (!choices.empty())
        line += " (" + choices + ")";
    line += option.empty() ? std::string(" that no option gives") : ": give " + option;
    PrintLine(line);
    PostQuitMessage(kUnansweredCode);
}

void PolicyBackend::PumpOnce() {
    Runtime& runtime = Runtime::Get();
    if (runtime.DispatchDueTimers())
        return;
    std::uint64_t now = runtime.NowMs();
    std::uint64_t wait = kLongestPollMs;
    if (std::optional<std::uint64_t> next = runtime.Timers().NextDue())
        wait = std::min(wait, *next <= now ? 0 : *next - now);
    if (deadlineMs_)
        wait = std::min(wait, *deadlineMs_ <= now ? 0 : *deadlineMs_ - now);
    std::vector<platform::Waitable> sources{interrupt_.Source()};
    for (const auto& [source, onReadable] : watched_)
        sources.push_back(source);
    int ready = platform::WaitForAny(sources, static_cast<int>(wait));
    if (ready < 0)
        return;
    if (ready == 0) {
        InterruptSignal::Arrived arrived = interrupt_.Take();
        if ((arrived.interrupts > 0 || arrived.endCode != 0) && !runtime.QuitPosted()) {
            PrintLine("Interrupted: stopping.");
            PostQuitMessage(kInterruptedCode);
        }
        return;
    }
    // A handler may unwatch sources; call a copy, and only while still watched.
    auto it = watched_.find(sources[static_cast<std::size_t>(ready)]);
    if (it != watched_.end()) {
        std::function<void()> onReadable = it->second;
        onReadable();
    }
    runtime.FlushUpdates();
}

void PolicyBackend::DialogOpened(Dialog& dialog) {
    shownPercent_ = -1;
    if (answers_.dialogShown)
        answers_.dialogShown(dialog, true);
}

void PolicyBackend::DialogUpdated(Dialog& dialog) {
    if (answers_.dialogShown)
        answers_.dialogShown(dialog, false);
    ShowProgress(dialog);
}

void PolicyBackend::ShowProgress(const Dialog& dialog) {
    for (const ControlState& control : dialog.Controls()) {
        if (control.source->kind != ControlKind::ProgressBar)
            continue;
        int percent = DialogText::Percent(control);
        // Through a pipe a line per step; on a terminal every change, in place.
        int shown = progress_.IsTerminal() ? percent
                                           : percent / kProgressStepPercent * kProgressStepPercent;
        if (shown != shownPercent_ && shown > 0)
            progress_.Progress(DialogText::ProgressLine(shown));
        shownPercent_ = shown;
        return;
    }
}

void PolicyBackend::DialogClosed(Dialog& dialog) {
    if (answered_ == &dialog)
        answered_ = nullptr;
    if (shownPercent_ > 0 && progress_.IsTerminal())
        progress_.Line("");
    shownPercent_ = -1;
}

void PolicyBackend::FrameCreated(FrameWindow& /*frame*/) {}

void PolicyBackend::FrameStatusChanged(FrameWindow& frame, int pane) {
    if (pane == 0 && answers_.statusShown)
        answers_.statusShown(frame.PaneText(0));
}

int PolicyBackend::ShowMessageBox(Window* /*owner*/, const std::string& text,
                                  const std::string& caption, unsigned flags) {
    Runtime::Get().FlushUpdates();
    if (answers_.boxShown)
        answers_.boxShown(text, caption, flags);
    switch (flags & MB_BUTTONS_MASK) {
        case MB_OKCANCEL:
            if (answers_.yes)
                return IDOK;
            Unanswered(caption, "OK, Cancel");
            return IDCANCEL;
        case MB_YESNO:
            if (answers_.yes)
                return IDYES;
            Unanswered(caption, "Yes, No");
            return IDNO;
        default:
            return IDOK;  // a box that only informs
    }
}

std::optional<std::string> PolicyBackend::ShowFileOpen(const FileOpenRequest& request) {
    const bool code = request.filter.find("*.hex") != std::string::npos;
    const std::string& path = code ? answers_.codeFile : answers_.dataFile;
    if (!path.empty())
        return path;
    std::string title = request.title.empty() ? std::string("Open") : request.title;
    std::string option = code ? "--code FILE" : "--data FILE";
    PrintLine("\"" + title + "\" (" + (code ? "program code" : "data") +
              " file) needs an answer: give " + option);
    PostQuitMessage(kUnansweredCode);
    return std::nullopt;
}

void PolicyBackend::WatchInput(platform::Waitable source, std::function<void()> onReadable) {
    watched_[source] = std::move(onReadable);
}

void PolicyBackend::UnwatchInput(platform::Waitable source) {
    watched_.erase(source);
}

}  // namespace ui
