#include "ui/Dialog.h"

#include <algorithm>

#include "ui/Backend.h"
#include "ui/Runtime.h"

namespace ui {

Dialog::Dialog(const DialogTemplate& dialogTemplate, Window* parent)
    : template_(dialogTemplate), parent_(parent) {}

Dialog::~Dialog() {
    // A dialog deleted while its loop runs (it should not be) must not stay on the stack.
    Runtime::Get().PopModal(this);
}

int Dialog::DoModal() {
    Runtime& runtime = Runtime::Get();
    if (runtime.QuitPosted())
        return IDCANCEL;

    controls_.clear();
    for (const ControlTemplate& source : template_.controls) {
        ControlState state{&source, source.text};
        state.enabled = (source.style & kDisabled) == 0;
        controls_.push_back(state);
    }
    running_ = true;
    ending_ = false;
    dirty_ = false;
    result_ = IDCANCEL;
    focusId_ = -1;

    Backend& backend = runtime.UseBackend();
    runtime.PushModal(this);
    backend.DialogOpened(*this);
    OnInitDialog();
    runtime.FlushUpdates();
    if (!ending_ && !runtime.QuitPosted()) {
        backend.RunModalLoop([this, &runtime] { return ending_ || runtime.QuitPosted(); });
    }

    runtime.Timers().KillAll(this);
    running_ = false;
    backend.DialogClosed(*this);
    runtime.PopModal(this);
    ending_ = false;
    return runtime.QuitPosted() ? static_cast<int>(IDCANCEL) : result_;
}

void Dialog::EndDialog(int result) {
    if (!running_)
        return;
    result_ = result;
    ending_ = true;
    Runtime& runtime = Runtime::Get();
    if (runtime.HasBackend())
        runtime.UseBackend().Wake();
}

bool Dialog::UpdateData(bool save) {
    if (!running_)
        return false;
    if (!save) {
        DataExchange load(*this, DataExchange::Mode::Load);
        DoDataExchange(load);
        MarkDirty();
        return true;
    }
    DataExchange check(*this, DataExchange::Mode::Validate);
    DoDataExchange(check);
    if (check.Failed())
        return false;
    DataExchange store(*this, DataExchange::Mode::Save);
    DoDataExchange(store);
    return true;
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

ControlState* Dialog::FindControl(int id) {
    for (ControlState& control : controls_) {
        if (control.source->id == id)
            return &control;
    }
    return nullptr;
}

const ControlState* Dialog::FindControl(int id) const {
    return const_cast<Dialog*>(this)->FindControl(id);
}

void Dialog::SetControlText(int id, std::string_view text) {
    if (ControlState* control = FindControl(id)) {
        control->text = text;
        MarkDirty();
    }
}

std::string Dialog::ControlText(int id) const {
    const ControlState* control = FindControl(id);
    return control != nullptr ? control->text : std::string();
}

void Dialog::EnableControl(int id, bool enable) {
    if (ControlState* control = FindControl(id)) {
        control->enabled = enable;
        MarkDirty();
    }
}

bool Dialog::IsControlEnabled(int id) const {
    const ControlState* control = FindControl(id);
    return control != nullptr && control->enabled;
}

std::vector<std::size_t> Dialog::RadioGroup(int firstId) const {
    std::vector<std::size_t> group;
    auto first = std::find_if(controls_.begin(), controls_.end(),
                              [&](const ControlState& c) { return c.source->id == firstId; });
    for (auto it = first; it != controls_.end(); ++it) {
        if (it->source->kind != ControlKind::RadioButton)
            break;
        if (it != first && (it->source->style & kGroupStart) != 0)
            break;
        group.push_back(static_cast<std::size_t>(it - controls_.begin()));
    }
    return group;
}

void Dialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (ControlState& control : controls_) {
        int id = control.source->id;
        if (control.source->kind == ControlKind::RadioButton && id >= firstId && id <= lastId) {
            control.checked = id == checkId;
        }
    }
    MarkDirty();
}

void Dialog::SetChecked(int id, bool checked) {
    if (ControlState* control = FindControl(id)) {
        control->checked = checked;
        MarkDirty();
    }
}

bool Dialog::IsChecked(int id) const {
    const ControlState* control = FindControl(id);
    return control != nullptr && control->checked;
}

void Dialog::SetProgressRange(int id, int low, int high) {
    if (ControlState* control = FindControl(id)) {
        control->rangeLow = low;
        control->rangeHigh = high;
        MarkDirty();
    }
}

void Dialog::SetProgressPos(int id, int position) {
    if (ControlState* control = FindControl(id)) {
        control->position = std::clamp(position, control->rangeLow, control->rangeHigh);
        MarkDirty();
    }
}

int Dialog::ProgressPos(int id) const {
    const ControlState* control = FindControl(id);
    return control != nullptr ? control->position : 0;
}

void Dialog::SetFocus(int id) {
    focusId_ = id;
}

void Dialog::ClickButton(int id) {
    if (!running_)
        return;
    ControlState* control = FindControl(id);
    if (control == nullptr) {
        // OK and Cancel exist for every dialog, as the keyboard's Enter and Escape.
        if (id == IDOK)
            OnOK();
        if (id == IDCANCEL)
            OnCancel();
        return;
    }
    if (!control->enabled)
        return;
    if (control->source->kind == ControlKind::RadioButton) {
        // Uncheck the rest of the button's group: walk back to the group's first button.
        auto index = static_cast<std::size_t>(control - controls_.data());
        std::size_t start = index;
        while (start > 0 && controls_[start].source->kind == ControlKind::RadioButton &&
               (controls_[start].source->style & kGroupStart) == 0 &&
               controls_[start - 1].source->kind == ControlKind::RadioButton) {
            --start;
        }
        for (std::size_t member : RadioGroup(controls_[start].source->id)) {
            controls_[member].checked = member == index;
        }
        MarkDirty();
        OnCommand(id);
        return;
    }
    if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    } else {
        OnCommand(id);
    }
}

void Dialog::TypeText(int id, std::string_view text) {
    ControlState* control = FindControl(id);
    if (control == nullptr || !control->enabled)
        return;
    if (control->source->kind != ControlKind::EditText || (control->source->style & kReadOnly)) {
        return;
    }
    control->text = text;
}

void Dialog::PressEnter() {
    for (const ControlState& control : controls_) {
        if (control.source->kind == ControlKind::PushButton &&
            (control.source->style & kDefaultButton) != 0) {
            ClickButton(control.source->id);
            return;
        }
    }
    OnOK();
}

}  // namespace ui
