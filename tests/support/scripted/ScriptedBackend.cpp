#include "tests/support/scripted/ScriptedBackend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/Application.h"
#include "ui/Dialog.h"
#include "ui/FileOpenDialog.h"
#include "ui/FrameWindow.h"
#include "ui/MessageBoxFlags.h"
#include "ui/Runtime.h"

namespace ui {

namespace {

bool HasButton(unsigned flags, int id) {
    switch (flags & MB_BUTTONS_MASK) {
        case MB_OKCANCEL:
            return id == IDOK || id == IDCANCEL;
        case MB_YESNO:
            return id == IDYES || id == IDNO;
        default:
            return id == IDOK;
    }
}

}  // namespace

ScriptedBackend::ScriptedBackend()
    : clockGuard_(clock_), previousBackend_(Runtime::Get().SetBackend(this)) {
    Runtime::Get().Reset();
}

ScriptedBackend::~ScriptedBackend() {
    FinishScript();
    Runtime::Get().Reset();
    Runtime::Get().SetBackend(previousBackend_);
}

std::string ScriptedBackend::Describe(const ScriptRule& rule) {
    if (rule.trigger_ == ScriptRule::Trigger::Time)
        return "time " + std::to_string(rule.atMs_) + " ms";
    // A message box's text, a dialog's caption, a file dialog's title, a control's text.
    return "\"" + rule.text_ + "\"" +
           (rule.caption_.empty() ? "" : " of \"" + rule.caption_ + "\"");
}

void ScriptedBackend::FinishScript() {
    if (finished_)
        return;
    finished_ = true;
    // After a failure the rules it kept from firing say nothing new.
    if (failed_)
        return;
    std::string reason;
    for (const auto& rule : rules_) {
        if (!rule->fired_ && !rule->repeat_)
            reason += "\n  on " + Describe(*rule);
    }
    if (!reason.empty())
        Fail("the script ended with rules that never fired:" + reason);
}

ScriptRule& ScriptedBackend::NewRule(ScriptRule::Trigger trigger, std::string text,
                                     std::string caption, int controlId) {
    ScriptRule& rule = *rules_.emplace_back(std::make_unique<ScriptRule>());
    rule.trigger_ = trigger;
    rule.text_ = std::move(text);
    rule.caption_ = std::move(caption);
    rule.controlId_ = controlId;
    return rule;
}

ScriptRule& ScriptedBackend::OnMessageBox(std::string text, std::string caption) {
    return NewRule(ScriptRule::Trigger::MessageBox, std::move(text), std::move(caption));
}

ScriptRule& ScriptedBackend::OnDialog(std::string caption) {
    return NewRule(ScriptRule::Trigger::Dialog, std::move(caption));
}

ScriptRule& ScriptedBackend::OnControlText(std::string caption, int id, std::string text) {
    return NewRule(ScriptRule::Trigger::ControlText, std::move(text), std::move(caption), id);
}

ScriptRule& ScriptedBackend::OnFileOpen(std::string title) {
    return NewRule(ScriptRule::Trigger::FileOpen, std::move(title));
}

ScriptRule& ScriptedBackend::At(std::uint64_t ms) {
    ScriptRule& rule = NewRule(ScriptRule::Trigger::Time, {});
    rule.atMs_ = ms;
    rule.used_ = true;
    // Time rules are queued at once; the actions are added to the rule before it is due.
    pending_.push_back({ms, nextOrder_++, &rule, 0});
    return rule;
}

std::uint64_t ScriptedBackend::Open(Surface surface) {
    surface.serial = nextSerial_++;
    surfaces_.push_back(std::move(surface));
    return surfaces_.back().serial;
}

void ScriptedBackend::CloseSurface(std::uint64_t serial) {
    std::erase_if(surfaces_, [&](const Surface& s) { return s.serial == serial; });
    std::erase_if(pending_, [&](const Pending& p) { return p.target == serial; });
}

ScriptedBackend::Surface* ScriptedBackend::FindSurface(std::uint64_t serial) {
    auto it = std::find_if(surfaces_.begin(), surfaces_.end(),
                           [&](const Surface& s) { return s.serial == serial; });
    return it != surfaces_.end() ? &*it : nullptr;
}

ScriptedBackend::Surface* ScriptedBackend::SurfaceOf(const Dialog& dialog) {
    auto it = std::find_if(surfaces_.begin(), surfaces_.end(),
                           [&](const Surface& s) { return s.dialog == &dialog; });
    return it != surfaces_.end() ? &*it : nullptr;
}

bool ScriptedBackend::Trigger(ScriptRule::Trigger kind, const Surface& surface,
                              const Dialog* dialog) {
    for (auto& owned : rules_) {
        ScriptRule& rule = *owned;
        if (rule.used_ || rule.trigger_ != kind)
            continue;
        bool matches = false;
        switch (kind) {
            case ScriptRule::Trigger::MessageBox:
                matches = rule.text_ == surface.text &&
                          (rule.caption_.empty() || rule.caption_ == surface.caption);
                break;
            case ScriptRule::Trigger::ControlText:
                matches = rule.caption_ == dialog->Caption() &&
                          dialog->ControlText(rule.controlId_) == rule.text_;
                break;
            default:  // a dialog's caption, a file dialog's title (empty: any)
                matches = rule.text_ == surface.caption ||
                          (kind == ScriptRule::Trigger::FileOpen && rule.text_.empty());
        }
        if (matches) {
            Schedule(rule, surface.serial);
            return true;
        }
    }
    return false;
}

void ScriptedBackend::Schedule(ScriptRule& rule, std::uint64_t target) {
    pending_.push_back({clock_.MonotonicMs() + rule.delayMs_, nextOrder_++, &rule, target});
    if (!rule.repeat_)
        rule.used_ = true;
}

bool ScriptedBackend::TimeRulePending() const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [](const Pending& p) { return p.target == 0; });
}

bool ScriptedBackend::RunDueActions() {
    // The earliest action, in the order scheduled; none is due when it is not.
    auto due = std::min_element(pending_.begin(), pending_.end(), [](const auto& a, const auto& b) {
        return std::tie(a.dueMs, a.order) < std::tie(b.dueMs, b.order);
    });
    if (due == pending_.end() || due->dueMs > clock_.MonotonicMs())
        return false;
    Pending chosen = *due;
    pending_.erase(due);
    chosen.rule->fired_ = true;
    // Actions run one at a time; each may open or close windows.
    std::vector<ScriptRule::Action> actions = chosen.rule->actions_;
    for (const ScriptRule::Action& action : actions) {
        if (failed_)
            break;
        Perform(action, chosen.target);
    }
    return true;
}

void ScriptedBackend::Perform(const ScriptRule::Action& action, std::uint64_t target) {
    using Kind = ScriptRule::Action::Kind;
    if (action.kind == Kind::Run) {
        action.run();
        return;
    }
    Surface* surface =
        target != 0 ? FindSurface(target) : (surfaces_.empty() ? nullptr : &surfaces_.back());
    if (surface == nullptr) {
        if (target == 0)
            Fail("script acts at a time when no window is open");
        return;  // the window it was meant for has closed meanwhile
    }
    TranscriptEntry entry = Entry(TranscriptEntry::Kind::Action);
    entry.caption = surface->caption;

    switch (surface->kind) {
        case Surface::Kind::Box: {
            const unsigned buttons = surface->flags & MB_BUTTONS_MASK;
            int answer = action.kind == Kind::Press ? action.id : 0;
            if (action.kind == Kind::Enter)
                answer = buttons == MB_YESNO ? IDYES : IDOK;
            // A Yes/No box has no close box: 0 is no button of it.
            if (action.kind == Kind::Close)
                answer = buttons == MB_YESNO ? 0 : (buttons == MB_OKCANCEL ? IDCANCEL : IDOK);
            if (!HasButton(surface->flags, answer)) {
                Fail("script answers " + std::to_string(answer) + " to " + Describe(*surface));
                return;
            }
            surface->answer = answer;
            surface->answered = true;
            return;
        }
        case Surface::Kind::File:
            if (action.kind == Kind::Choose) {
                surface->chosen = action.text;
            } else if (action.kind != Kind::CancelFile) {
                Fail("script cannot do that to " + Describe(*surface));
                return;
            }
            surface->answered = true;
            return;
        case Surface::Kind::Dialog: {
            Dialog& dialog = *surface->dialog;
            switch (action.kind) {
                case Kind::Press:
                    entry.text = "click " + std::to_string(action.id);
                    transcript_.Add(entry);
                    dialog.ClickButton(action.id);
                    break;
                case Kind::Type:
                    entry.text = "type " + std::to_string(action.id) + " \"" + action.text + "\"";
                    transcript_.Add(entry);
                    dialog.TypeText(action.id, action.text);
                    break;
                case Kind::Enter:
                    entry.text = "enter";
                    transcript_.Add(entry);
                    dialog.PressEnter();
                    break;
                case Kind::Close:
                    entry.text = "close box";
                    transcript_.Add(entry);
                    dialog.CloseBox();
                    break;
                default:
                    Fail("script cannot do that to " + Describe(*surface));
                    return;
            }
            Runtime::Get().FlushUpdates();
            return;
        }
    }
}

bool ScriptedBackend::Pump(bool mainLoop) {
    if (RunDueActions()) {
        Runtime::Get().FlushUpdates();
        return true;
    }
    Runtime& runtime = Runtime::Get();
    if (runtime.DispatchDueTimers())
        return true;

    std::optional<std::uint64_t> next = runtime.Timers().NextDue();
    for (const Pending& p : pending_) {
        if (!next || p.dueMs < *next)
            next = p.dueMs;
    }
    if (!next) {
        if (!mainLoop) {
            Fail("nothing is left that could close " + (surfaces_.empty()
                                                            ? std::string("the running loop")
                                                            : Describe(surfaces_.back())));
        }
        return false;
    }
    if (*next > timeLimitMs_) {
        Fail("the script ran past its time limit of " + std::to_string(timeLimitMs_) + " ms with " +
             (surfaces_.empty() ? std::string("no window") : Describe(surfaces_.back())) + " open");
        return false;
    }
    clock_.AdvanceTo(*next);
    return true;
}

void ScriptedBackend::RunModalLoop(const std::function<bool()>& done) {
    Runtime& runtime = Runtime::Get();
    while (!done() && !runtime.QuitPosted() && !failed_) {
        if (!Pump(false))
            break;
    }
}

void ScriptedBackend::RunMainLoop() {
    Runtime& runtime = Runtime::Get();
    while (!runtime.QuitPosted() && !failed_) {
        if (!Pump(true))
            break;
    }
}

TranscriptEntry ScriptedBackend::Entry(TranscriptEntry::Kind kind) const {
    TranscriptEntry entry;
    entry.timeMs = const_cast<platform::VirtualClock&>(clock_).MonotonicMs();
    entry.kind = kind;
    return entry;
}

TranscriptEntry ScriptedBackend::SnapshotEntry(TranscriptEntry::Kind kind,
                                               const Dialog& dialog) const {
    TranscriptEntry entry = Entry(kind);
    entry.caption = dialog.Caption();
    for (const ControlState& control : dialog.Controls()) {
        if (control.source->id < 0)
            continue;
        switch (control.source->kind) {
            case ControlKind::EditText:
            case ControlKind::StaticText:
                entry.controls.emplace_back(control.source->id, control.text);
                break;
            case ControlKind::ProgressBar: {
                // Appended, not "[" + ...: g++ 12 at -O3 warns falsely about the insert.
                std::string shown = "[";
                shown += std::to_string(control.position);
                shown += ']';
                entry.controls.emplace_back(control.source->id, shown);
                break;
            }
            case ControlKind::RadioButton:
                entry.controls.emplace_back(control.source->id, control.checked ? "(x)" : "( )");
                break;
            default:
                break;
        }
    }
    return entry;
}

std::string ScriptedBackend::Describe(const Surface& surface) const {
    switch (surface.kind) {
        case Surface::Kind::Box:
            return "message box \"" + surface.caption + "\": " + surface.text;
        case Surface::Kind::File:
            return "file-open dialog \"" + surface.caption + "\"";
        case Surface::Kind::Dialog:
            return "dialog \"" + surface.caption + "\"";
    }
    return "window";
}

void ScriptedBackend::Fail(const std::string& reason) {
    if (failed_)
        return;
    failed_ = true;
    TranscriptEntry entry = Entry(TranscriptEntry::Kind::Failure);
    entry.text = reason;
    transcript_.Add(entry);
    std::string report =
        "scripted user interface: " + reason + "\ntranscript:\n" + transcript_.Dump();
    if (failureHandler_) {
        failureHandler_(report);
    } else {
        std::fputs(report.c_str(), stderr);
        std::abort();
    }
    // Unwind every modal loop; later dialogs and boxes answer Cancel at once.
    Runtime::Get().PostQuit(-1);
}

void ScriptedBackend::DialogOpened(Dialog& dialog) {
    std::uint64_t serial =
        Open({.kind = Surface::Kind::Dialog, .dialog = &dialog, .caption = dialog.Caption()});
    transcript_.Add(SnapshotEntry(TranscriptEntry::Kind::DialogOpened, dialog));
    Trigger(ScriptRule::Trigger::Dialog, *FindSurface(serial));
}

void ScriptedBackend::DialogUpdated(Dialog& dialog) {
    transcript_.Add(SnapshotEntry(TranscriptEntry::Kind::DialogRefresh, dialog));
    if (Surface* surface = SurfaceOf(dialog)) {
        Trigger(ScriptRule::Trigger::ControlText, *surface, &dialog);
    }
}

void ScriptedBackend::DialogClosed(Dialog& dialog) {
    TranscriptEntry entry = Entry(TranscriptEntry::Kind::DialogClosed);
    entry.caption = dialog.Caption();
    entry.value = Runtime::Get().QuitPosted() ? static_cast<int>(IDCANCEL) : dialog.Result();
    transcript_.Add(entry);
    if (Surface* surface = SurfaceOf(dialog))
        CloseSurface(surface->serial);
}

void ScriptedBackend::FrameStatusChanged(FrameWindow& frame, int pane) {
    if (pane < 0)
        return;
    TranscriptEntry entry = Entry(TranscriptEntry::Kind::Status);
    entry.value = pane;
    entry.text = frame.PaneText(pane);
    transcript_.Add(entry);
}

ScriptedBackend::Surface ScriptedBackend::Await(Surface surface, ScriptRule::Trigger trigger) {
    const std::uint64_t serial = Open(std::move(surface));
    if (!Trigger(trigger, *FindSurface(serial)) && !TimeRulePending())
        Fail("nobody answers the " + Describe(*FindSurface(serial)));
    RunModalLoop([this, serial] { return FindSurface(serial)->answered; });
    Surface closed = *FindSurface(serial);
    CloseSurface(serial);
    return closed;
}

int ScriptedBackend::ShowMessageBox(Window* /*owner*/, const std::string& text,
                                    const std::string& caption, unsigned flags) {
    TranscriptEntry shown = Entry(TranscriptEntry::Kind::MessageBox);
    shown.caption = caption;
    shown.text = text;
    shown.flags = flags;
    transcript_.Add(shown);
    Surface box{.kind = Surface::Kind::Box, .caption = caption, .text = text, .flags = flags};
    box = Await(std::move(box), ScriptRule::Trigger::MessageBox);
    int answer =
        box.answered ? box.answer : ((flags & MB_BUTTONS_MASK) == MB_YESNO ? IDNO : IDCANCEL);
    TranscriptEntry answered = Entry(TranscriptEntry::Kind::BoxAnswer);
    answered.caption = caption;
    answered.value = answer;
    transcript_.Add(answered);
    return answer;
}

std::optional<std::string> ScriptedBackend::ShowFileOpen(const FileOpenRequest& request) {
    Surface file{.kind = Surface::Kind::File, .caption = request.title};
    std::optional<std::string> chosen =
        Await(std::move(file), ScriptRule::Trigger::FileOpen).chosen;
    TranscriptEntry entry = Entry(TranscriptEntry::Kind::FileOpen);
    entry.caption = request.title;
    entry.text = chosen.value_or("");
    entry.fileRequest =
        request.defaultExtension + "|" + request.filter + "|" + request.proposedName;
    transcript_.Add(entry);
    return chosen;
}

}  // namespace ui
