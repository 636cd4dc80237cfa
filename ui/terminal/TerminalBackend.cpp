#include "ui/terminal/TerminalBackend.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "ui/Application.h"
#include "ui/Dialog.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MenuTemplate.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Runtime.h"
#include "ui/terminal/ChoiceName.h"
#include "ui/terminal/DialogText.h"
#include "ui/terminal/MenuText.h"

namespace ui {

namespace {

constexpr const char* kMainPrompt = "Command> ";
constexpr int kLongestPollMs = 60000;

struct BoxButton {
    int id;
    const char* name;
};

std::vector<BoxButton> BoxButtons(unsigned flags) {
    switch (flags & MB_BUTTONS_MASK) {
        case MB_OKCANCEL:
            return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
        case MB_YESNO:
            return {{IDYES, "Yes"}, {IDNO, "No"}};
        default:
            return {{IDOK, "OK"}};
    }
}

// The answer of a box that is cancelled: Cancel, No, or its only button.
int CancelAnswer(unsigned flags) {
    switch (flags & MB_BUTTONS_MASK) {
        case MB_OKCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        default:
            return IDOK;
    }
}

const char* ButtonName(unsigned flags, int id) {
    for (const BoxButton& button : BoxButtons(flags)) {
        if (button.id == id)
            return button.name;
    }
    return "Cancel";
}

const char* IconName(unsigned flags) {
    switch (flags & MB_ICON_MASK) {
        case MB_ICONSTOP:
            return " (stop)";
        case MB_ICONQUESTION:
            return " (question)";
        case MB_ICONEXCLAMATION:
            return " (exclamation)";
        case MB_ICONINFORMATION:
            return " (information)";
        default:
            return "";
    }
}

std::string Trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

void PrintTextLines(TerminalOutput& output, const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        output.Line(line);
        start = end + 1;
    }
}

}  // namespace

TerminalBackend::TerminalBackend(int inputFd, int outputFd)
    : input_(inputFd), output_(outputFd), inputEchoes_(input_.Echoes()) {
    Runtime::Get().Reset();
    output_.OnPromptEnded([this] { ReleaseHeld(); });
}

TerminalBackend::~TerminalBackend() {
    Runtime& runtime = Runtime::Get();
    if (runtime.HasBackend() && &runtime.UseBackend() == this)
        runtime.SetBackend(nullptr);
}

TerminalBackend::Surface& TerminalBackend::Push(Surface::Kind kind) {
    surfaces_.push_back(std::make_unique<Surface>());
    surfaces_.back()->kind = kind;
    return *surfaces_.back();
}

void TerminalBackend::Pop(const Surface& surface) {
    std::erase_if(surfaces_, [&](const auto& owned) { return owned.get() == &surface; });
}

TerminalBackend::Surface* TerminalBackend::Innermost() {
    return surfaces_.empty() ? nullptr : surfaces_.back().get();
}

TerminalBackend::Surface* TerminalBackend::SurfaceOf(const Dialog& dialog) {
    for (auto& surface : surfaces_) {
        if (surface->dialog == &dialog)
            return surface.get();
    }
    return nullptr;
}

// A dialog with a timer works by itself (a scan, an upload); one without waits for
// the user and gets a prompt.
bool TerminalBackend::RunsOnItsOwn(const Dialog& dialog) const {
    return Runtime::Get().Timers().HasTimers(&dialog);
}

TerminalBackend::Asked TerminalBackend::Ask(const std::string& prompt,
                                            const std::function<bool()>& abandoned,
                                            std::string& line) {
    Runtime& runtime = Runtime::Get();
    output_.Prompt(prompt);
    std::uint64_t shown = output_.LinesWritten();
    for (;;) {
        if (runtime.QuitPosted() || abandoned()) {
            // Nobody answers it any more: what waited behind it may be printed.
            output_.EndPrompt();
            return Asked::Abandoned;
        }
        if (!answers_.empty()) {
            line = std::move(answers_.front());
            answers_.pop_front();
            if (inputEchoes_) {
                output_.AnswerEchoedByTerminal();
            } else {
                output_.Echo(line);
            }
            return Asked::Line;
        }
        if (InputUsedUp())
            return Asked::EndOfInput;
        if (output_.LinesWritten() != shown) {
            // Lines of a dialog below pushed the prompt up; show it again.
            output_.Prompt(prompt);
            shown = output_.LinesWritten();
        }
        PumpOnce();
    }
}

void TerminalBackend::PumpOnce() {
    Runtime& runtime = Runtime::Get();
    if (runtime.DispatchDueTimers())
        return;
    if (!arrived_.empty()) {
        ReadInput();
        return;
    }

    int timeout = -1;
    if (std::optional<std::uint64_t> next = runtime.Timers().NextDue()) {
        std::uint64_t now = runtime.NowMs();
        timeout = *next <= now
                      ? 0
                      : static_cast<int>(std::min<std::uint64_t>(*next - now, kLongestPollMs));
    }
    // The interrupt first, then the user's input, then the watched sources.
    std::vector<platform::Waitable> sources{interrupt_.Source()};
    const bool reading = !input_.Ended();
    if (reading)
        sources.push_back(input_.Source());
    for (const auto& [source, onReadable] : watched_)
        sources.push_back(source);
    int ready = platform::WaitForAny(sources, timeout);
    if (ready < 0)
        return;

    if (ready == 0) {
        InterruptSignal::Arrived arrived = interrupt_.Take();
        if (arrived.endCode != 0 && !runtime.QuitPosted()) {
            // As a second Ctrl-C: the dialogs close, and the port with them.
            output_.Line("Terminated: quitting.");
            PostQuitMessage(arrived.endCode);
        }
        for (int count = arrived.interrupts; count > 0 && !runtime.QuitPosted(); --count)
            HandleInterrupt();
        return;
    }
    if (reading && ready == 1) {
        for (std::string& line : input_.ReadAvailable())
            arrived_.push_back(std::move(line));
        ReadInput();
    } else {
        // A handler may unwatch sources; call a copy, and only while still watched.
        auto it = watched_.find(sources[static_cast<std::size_t>(ready)]);
        if (it != watched_.end()) {
            std::function<void()> onReadable = it->second;
            onReadable();
        }
    }
    runtime.FlushUpdates();
}

// Looks at each line that arrived: while a dialog runs on its own, a line naming one of
// its buttons presses it; any other line waits for the next prompt.
void TerminalBackend::ReadInput() {
    while (!arrived_.empty()) {
        std::string line = std::move(arrived_.front());
        arrived_.pop_front();
        Surface* top = Innermost();
        if (top != nullptr && top->kind == Surface::Kind::Dialog && !top->dialog->IsEnding() &&
            RunsOnItsOwn(*top->dialog)) {
            const ControlState* button = DialogText::FindButton(*top->dialog, line, false);
            if (button != nullptr && button->enabled) {
                output_.Line("Pressed " + ChoiceName::Shown(button->source->text));
                top->dialog->ClickButton(button->source->id);
                Runtime::Get().FlushUpdates();
                continue;
            }
        }
        answers_.push_back(std::move(line));
    }
}

bool TerminalBackend::InputUsedUp() const {
    return input_.Ended() && arrived_.empty() && answers_.empty();
}

void TerminalBackend::ReleaseHeld() {
    std::vector<Dialog*> held;
    for (const auto& surface : surfaces_) {
        if (surface->updateHeld)
            held.push_back(surface->dialog);
    }
    for (Dialog* dialog : held)
        DialogUpdated(*dialog);
    if (statusHeld_ && frame_ != nullptr && frame_->PaneText(0) != shownStatus_)
        FrameStatusChanged(*frame_, 0);
    statusHeld_ = false;
}

void TerminalBackend::HandleInterrupt() {
    Runtime& runtime = Runtime::Get();
    std::uint64_t now = runtime.NowMs();
    if (lastInterruptMs_ && now - *lastInterruptMs_ <= kSecondInterruptMs) {
        output_.Line("Interrupted twice: quitting.");
        PostQuitMessage(kInterruptQuitCode);
        return;
    }
    lastInterruptMs_ = now;
    Surface* top = Innermost();
    if (top == nullptr) {
        output_.Line("Interrupt: press Ctrl-C again within two seconds to quit.");
        return;
    }
    switch (top->kind) {
        case Surface::Kind::Dialog:
            output_.Echo("Interrupt: Cancel");
            top->dialog->PressEscape();
            runtime.FlushUpdates();
            return;
        case Surface::Kind::Box:
            top->answer = CancelAnswer(top->flags);
            top->answered = true;
            output_.Echo(std::string("Interrupt: ") + ButtonName(top->flags, top->answer));
            return;
        case Surface::Kind::File:
            top->chosen.reset();
            top->answered = true;
            output_.Echo("Interrupt: Cancel");
            return;
    }
}

void TerminalBackend::RunModalLoop(const std::function<bool()>& done) {
    Runtime& runtime = Runtime::Get();
    while (!done() && !runtime.QuitPosted()) {
        Surface* top = Innermost();
        if (top != nullptr && top->kind == Surface::Kind::Dialog) {
            if (!top->shown)
                ShowDialog(*top);
            if (!top->dialog->IsEnding() && !RunsOnItsOwn(*top->dialog)) {
                PromptDialog(*top);
                continue;
            }
            if (!top->dialog->IsEnding() && InputUsedUp()) {
                CancelAtEndOfInput(*top->dialog);
                continue;
            }
        }
        PumpOnce();
    }
}

void TerminalBackend::RunMainLoop() {
    Runtime& runtime = Runtime::Get();
    while (!runtime.QuitPosted()) {
        if (frame_ == nullptr) {
            // Nothing to command without a main window; wait for the end of input.
            answers_.clear();
            if (input_.Ended() && arrived_.empty()) {
                PostQuitMessage(0);
                break;
            }
            PumpOnce();
            continue;
        }
        ShowMenuIfChanged(false);
        std::string line;
        switch (Ask(
            kMainPrompt, [this] { return frame_ == nullptr; }, line)) {
            case Asked::Line:
                RunMenuCommand(line);
                break;
            case Asked::EndOfInput:
                output_.Echo("End of input: Exit");
                PostQuitMessage(0);
                break;
            case Asked::Abandoned:
                break;
        }
    }
}

void TerminalBackend::ShowMenuIfChanged(bool always) {
    std::vector<std::string> lines = MenuText::Lines(*frame_);
    if (!always && lines == shownMenu_)
        return;
    for (const std::string& line : lines)
        output_.Line(line);
    shownMenu_ = std::move(lines);
}

void TerminalBackend::RunMenuCommand(const std::string& typed) {
    std::string line = Trimmed(typed);
    if (line.empty())
        return;
    if (line == "?") {
        ShowMenuIfChanged(true);
        return;
    }
    const MenuItem* item = frame_->Menu() ? MenuText::Find(*frame_->Menu(), line) : nullptr;
    if (item == nullptr) {
        output_.Line("Unknown command \"" + line + "\".");
        ShowMenuIfChanged(true);
        return;
    }
    if (!frame_->IsCommandEnabled(item->id)) {
        output_.Line(ChoiceName::Shown(item->text) + " is greyed out.");
        return;
    }
    frame_->RunCommand(item->id);
}

void TerminalBackend::ShowDialog(Surface& surface) {
    const Dialog& dialog = *surface.dialog;
    output_.Line(DialogText::CaptionLine(dialog.Caption()));
    surface.controlLines.assign(dialog.Controls().size(), std::string());
    for (std::size_t i = 0; i < dialog.Controls().size(); ++i) {
        surface.controlLines[i] = DialogText::ControlLine(dialog, i);
        if (!surface.controlLines[i].empty())
            output_.Line(surface.controlLines[i]);
        if (dialog.Controls()[i].source->kind == ControlKind::ProgressBar)
            surface.percent = DialogText::Percent(dialog.Controls()[i]);
    }
    surface.buttonsLine = DialogText::ButtonsLine(dialog);
    if (!surface.buttonsLine.empty())
        output_.Line(surface.buttonsLine);
    surface.shown = true;
}

void TerminalBackend::PromptDialog(Surface& surface) {
    Dialog& dialog = *surface.dialog;
    std::string line;
    Asked asked = Ask(
        dialog.Caption() + "> ",
        [this, &dialog] { return dialog.IsEnding() || RunsOnItsOwn(dialog); }, line);
    if (asked == Asked::Line)
        AnswerDialog(surface, line);
    if (asked == Asked::EndOfInput)
        CancelAtEndOfInput(dialog);
    Runtime::Get().FlushUpdates();
}

void TerminalBackend::AnswerDialog(Surface& surface, const std::string& typed) {
    Dialog& dialog = *surface.dialog;
    std::string line = Trimmed(typed);
    if (line.empty()) {
        ShowDialog(surface);
        return;
    }
    std::size_t equals = line.find('=');
    if (equals != std::string::npos) {
        std::string label = Trimmed(line.substr(0, equals));
        if (const ControlState* box = DialogText::FindEditBox(dialog, label)) {
            if (!box->enabled) {
                output_.Line(ChoiceName::Shown(label) + " is greyed out.");
                return;
            }
            dialog.TypeText(box->source->id, Trimmed(line.substr(equals + 1)));
            auto index = static_cast<std::size_t>(box - dialog.Controls().data());
            surface.controlLines[index] = DialogText::ControlLine(dialog, index);
            output_.Line(surface.controlLines[index]);
            return;
        }
    }
    if (const ControlState* button = DialogText::FindButton(dialog, line, true)) {
        if (!button->enabled) {
            output_.Line(ChoiceName::Shown(button->source->text) + " is greyed out.");
            return;
        }
        dialog.ClickButton(button->source->id);
        return;
    }
    if (ChoiceName::Matches(line, "Cancel")) {
        dialog.PressEscape();  // every dialog closes with Escape
        return;
    }
    output_.Line("Unknown answer \"" + line +
                 "\": type a button's name, or a box's label, \"=\" and its value.");
}

// No answer will come: the dialog gets the button that goes back, as a user would press
// it, and the program ends, saying that it did not get what it asked for. The quit comes
// first, so that what the button asks on its way (stop the upload?) is not asked again.
void TerminalBackend::CancelAtEndOfInput(Dialog& dialog) {
    PostQuitMessage(kEndOfInputQuitCode);
    for (const char* name : {"Cancel", "No", "Abort", "OK"}) {
        const ControlState* button = DialogText::FindButton(dialog, name, false);
        if (button != nullptr && button->enabled) {
            output_.Echo(std::string("End of input: ") + name);
            dialog.ClickButton(button->source->id);
            return;
        }
    }
    output_.Echo("End of input: Cancel");
    dialog.PressEscape();
}

void TerminalBackend::DialogOpened(Dialog& dialog) {
    Push(Surface::Kind::Dialog).dialog = &dialog;
}

void TerminalBackend::DialogUpdated(Dialog& dialog) {
    Surface* surface = SurfaceOf(dialog);
    if (surface == nullptr)
        return;
    if (!surface->shown) {
        ShowDialog(*surface);
        return;
    }
    // A prompt waits for its answer: the changes are printed after it.
    surface->updateHeld = output_.PromptOpen();
    if (surface->updateHeld)
        return;
    const auto& controls = dialog.Controls();
    surface->controlLines.resize(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].source->kind == ControlKind::ProgressBar) {
            int percent = DialogText::Percent(controls[i]);
            if (percent != surface->percent)
                output_.Progress("  " + DialogText::ProgressLine(percent));
            surface->percent = percent;
            continue;
        }
        std::string line = DialogText::ControlLine(dialog, i);
        if (line != surface->controlLines[i] && !line.empty())
            output_.Line(line);
        surface->controlLines[i] = std::move(line);
    }
    std::string buttons = DialogText::ButtonsLine(dialog);
    if (buttons != surface->buttonsLine && !buttons.empty())
        output_.Line(buttons);
    surface->buttonsLine = std::move(buttons);
}

void TerminalBackend::DialogClosed(Dialog& dialog) {
    if (Surface* surface = SurfaceOf(dialog))
        Pop(*surface);
}

void TerminalBackend::FrameCreated(FrameWindow& frame) {
    frame_ = &frame;
    output_.Line(frame.Menu() != nullptr ? frame.Menu()->title : std::string());
    ShowMenuIfChanged(true);
    output_.Line("Type a menu command (e.g. Upload), or ? for the menu.");
    FrameStatusChanged(frame, 0);
}

void TerminalBackend::FrameStatusChanged(FrameWindow& frame, int pane) {
    if (pane == 0) {
        statusHeld_ = output_.PromptOpen();
        if (statusHeld_)
            return;
        shownStatus_ = frame.PaneText(0);
        output_.Line("Status: " + shownStatus_);
    }
    if (pane < 0)
        output_.Line(frame.StatusBarVisible() ? "Status bar shown" : "Status bar hidden");
}

void TerminalBackend::FrameDestroyed(FrameWindow& frame) {
    if (frame_ == &frame)
        frame_ = nullptr;
}

int TerminalBackend::ShowMessageBox(Window* /*owner*/, const std::string& text,
                                    const std::string& caption, unsigned flags) {
    // What the dialogs below showed last comes before the box (an upload's last status
    // before its error).
    Runtime::Get().FlushUpdates();
    Surface& surface = Push(Surface::Kind::Box);
    surface.flags = flags;
    output_.Line(DialogText::CaptionLine(caption + IconName(flags)));
    PrintTextLines(output_, text);
    std::string buttons;
    for (const BoxButton& button : BoxButtons(flags))
        buttons += (buttons.empty() ? "Buttons: " : ", ") + std::string(button.name);
    output_.Line(buttons);

    while (!surface.answered && !Runtime::Get().QuitPosted()) {
        std::string line;
        Asked asked = Ask(
            caption + "> ", [&surface] { return surface.answered; }, line);
        if (asked == Asked::Line && !AnswerBox(surface, line)) {
            output_.Line("Answer " + buttons.substr(9) + ".");
        } else if (asked == Asked::EndOfInput) {
            surface.answer = CancelAnswer(flags);
            surface.answered = true;
            PostQuitMessage(kEndOfInputQuitCode);
            output_.Echo(std::string("End of input: ") + ButtonName(flags, surface.answer));
        }
    }
    int answer = surface.answered ? surface.answer
                                  : ((flags & MB_BUTTONS_MASK) == MB_YESNO ? IDNO : IDCANCEL);
    Pop(surface);
    return answer;
}

bool TerminalBackend::AnswerBox(Surface& surface, const std::string& line) {
    for (const BoxButton& button : BoxButtons(surface.flags)) {
        if (ChoiceName::Matches(line, button.name)) {
            surface.answer = button.id;
            surface.answered = true;
            return true;
        }
    }
    return false;
}

std::optional<std::string> TerminalBackend::ShowFileOpen(const FileOpenRequest& request) {
    Surface& surface = Push(Surface::Kind::File);
    std::string title = request.title.empty() ? std::string("Open") : request.title;
    output_.Line(DialogText::CaptionLine(title));
    for (const auto& [name, pattern] : ParseFileFilter(request.filter))
        output_.Line("  " + name + "  " + pattern);
    output_.Line("Type the file's path; an empty line cancels.");

    std::string line;
    Asked asked = Ask(
        title + "> ", [&surface] { return surface.answered; }, line);
    if (asked == Asked::Line) {
        line = Trimmed(line);
        if (!line.empty())
            surface.chosen = line;
    }
    if (asked == Asked::EndOfInput) {
        PostQuitMessage(kEndOfInputQuitCode);
        output_.Echo("End of input: Cancel");
    }
    std::optional<std::string> chosen = surface.chosen;
    Pop(surface);
    return chosen;
}

void TerminalBackend::WatchInput(platform::Waitable source, std::function<void()> onReadable) {
    watched_[source] = std::move(onReadable);
}

void TerminalBackend::UnwatchInput(platform::Waitable source) {
    watched_.erase(source);
}

}  // namespace ui
