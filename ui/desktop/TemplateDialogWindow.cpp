#include "ui/desktop/TemplateDialogWindow.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "ui/Dialog.h"
#include "ui/desktop/DialogLayout.h"
#include "ui/desktop/LabelText.h"
#include "ui/desktop/ToolkitText.h"

namespace ui {

namespace {

// Space around controls whose template gives them no box (test templates).
constexpr int kLooseMarginPx = 8;

bool IsEmpty(const Rect& rect) {
    return rect.width <= 0 || rect.height <= 0;
}

// A static text breaks into lines at its box's width when it asks to, or when its box has
// room for more than one line, as the platform's static texts do.
constexpr int kTwoLinesUnits = 16;

bool IsMultilineStatic(const ControlTemplate& source) {
    return source.kind == ControlKind::StaticText &&
           ((source.style & kMultiline) != 0 || source.rect.height >= kTwoLinesUnits);
}

wxBitmap IconBitmap(const std::string& name) {
    wxArtID art = wxART_INFORMATION;
    if (name == "warning" || name == "exclamation")
        art = wxART_WARNING;
    else if (name == "error" || name == "stop")
        art = wxART_ERROR;
    else if (name == "question")
        art = wxART_QUESTION;
    else if (name == "application")
        art = "application-x-executable";  // the icon theme's program icon
    wxBitmap bitmap = wxArtProvider::GetBitmap(art, wxART_MESSAGE_BOX);
    return bitmap.IsOk() ? bitmap : wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_MESSAGE_BOX);
}

}  // namespace

TemplateDialogWindow::TemplateDialogWindow(wxWindow* parent, Dialog& dialog,
                                           std::function<void()> afterUserEvent)
    : wxDialog(parent, wxID_ANY, FromUtf8(dialog.Caption()), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      dialog_(&dialog),
      afterUserEvent_(std::move(afterUserEvent)) {
    // Group boxes first: they lie beneath the controls they frame.
    const std::vector<ControlTemplate>& sources = dialog.Template().controls;
    for (bool groups : {true, false}) {
        for (const ControlTemplate& source : sources) {
            if ((source.kind == ControlKind::GroupBox) == groups)
                controls_.push_back({&source, CreateControl(source), source.text});
        }
    }
    LayOut();
    for (const Control& control : controls_)
        BindControl(control);
    Bind(wxEVT_CHAR_HOOK, &TemplateDialogWindow::OnCharHook, this);
    Bind(wxEVT_CLOSE_WINDOW, &TemplateDialogWindow::OnCloseBox, this);
}

TemplateDialogWindow::~TemplateDialogWindow() = default;

wxWindow* TemplateDialogWindow::CreateControl(const ControlTemplate& source) {
    wxString text = FromUtf8(source.text);
    bool centered = (source.style & kCentered) != 0;
    switch (source.kind) {
        case ControlKind::PushButton: {
            auto* button =
                new wxButton(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
            if (source.style & kDefaultButton)
                button->SetDefault();
            return button;
        }
        case ControlKind::RadioButton: {
            // A group begins where the template says so, or after anything that is not a
            // radio button.
            bool starts = (source.style & kGroupStart) != 0;
            const std::vector<ControlTemplate>& all = dialog_->Template().controls;
            auto index = static_cast<std::size_t>(&source - all.data());
            if (index == 0 || all[index - 1].kind != ControlKind::RadioButton)
                starts = true;
            return new wxRadioButton(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize,
                                     starts ? wxRB_GROUP : 0);
        }
        case ControlKind::EditText: {
            long style = 0;
            if (source.style & kReadOnly)
                style |= wxTE_READONLY;
            if (centered)
                style |= wxTE_CENTRE;
            if (source.style & kMultiline)
                style |= wxTE_MULTILINE;
            return new wxTextCtrl(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, style);
        }
        case ControlKind::StaticText: {
            long style = wxST_NO_AUTORESIZE | (centered ? wxALIGN_CENTRE_HORIZONTAL : wxALIGN_LEFT);
            auto* label = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition,
                                           wxDefaultSize, style);
            label->SetLabelMarkup(FromUtf8(MnemonicToMarkup(source.text)));
            return label;
        }
        case ControlKind::GroupBox:
            return new wxStaticBox(this, wxID_ANY, text);
        case ControlKind::ProgressBar:
            return new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxDefaultSize,
                               wxGA_HORIZONTAL | wxGA_SMOOTH);
        case ControlKind::Icon:
            return new wxStaticBitmap(this, wxID_ANY, IconBitmap(source.text));
    }
    return new wxStaticText(this, wxID_ANY, text);
}

// What a control's content needs of its box; edit boxes scroll, so only their height.
PixelSize TemplateDialogWindow::Needed(const Control& control) const {
    const ControlTemplate& source = *control.source;
    wxSize best = control.window->GetBestSize();
    switch (source.kind) {
        case ControlKind::PushButton:
        case ControlKind::RadioButton:
        case ControlKind::Icon:
        case ControlKind::StaticText:
            return {best.x, best.y};
        case ControlKind::EditText:
            return {0, (source.style & kMultiline) != 0 ? 0 : best.y};
        default:
            return {};
    }
}

void TemplateDialogWindow::LayOut() {
    wxPoint base = ConvertDialogToPixels(wxPoint(4, 8));
    DialogLayout layout(base.x, base.y);

    for (const Control& control : controls_) {
        if (!IsEmpty(control.source->rect) && !IsMultilineStatic(*control.source))
            layout.Fit(control.source->rect, Needed(control));
    }
    // Texts of several lines break at their final width; then their height counts.
    for (Control& control : controls_) {
        if (!IsMultilineStatic(*control.source) || IsEmpty(control.source->rect))
            continue;
        control.window->SetSize(wxSize(layout.ToPixels(control.source->rect).width, -1));
        control.shown.clear();
        SyncControl(control);
        layout.Fit(control.source->rect, {0, control.window->GetBestSize().y});
        control.shown.clear();  // wrapped again once the box has its final width
    }

    PixelSize client = layout.ClientSize(dialog_->Template().rect);
    int looseY = kLooseMarginPx;
    for (const Control& control : controls_) {
        const Rect& units = control.source->rect;
        if (IsEmpty(units)) {
            wxSize best = control.window->GetBestSize();
            control.window->SetSize(kLooseMarginPx, looseY, best.x, best.y);
            looseY += best.y + kLooseMarginPx;
            client.width = std::max(client.width, best.x + 2 * kLooseMarginPx);
            client.height = std::max(client.height, looseY);
            continue;
        }
        Rect pixels = layout.ToPixels(units);
        control.window->SetSize(pixels.x, pixels.y, pixels.width, pixels.height);
    }
    SetClientSize(client.width, client.height);
}

void TemplateDialogWindow::BindControl(const Control& control) {
    int id = control.source->id;
    switch (control.source->kind) {
        case ControlKind::PushButton:
            control.window->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) {
                Act([id](Dialog& dialog) { dialog.ClickButton(id); });
            });
            break;
        case ControlKind::RadioButton:
            control.window->Bind(wxEVT_RADIOBUTTON, [this, id](wxCommandEvent&) {
                Act([id](Dialog& dialog) { dialog.ClickButton(id); });
            });
            break;
        case ControlKind::EditText: {
            auto* box = static_cast<wxTextCtrl*>(control.window);
            box->Bind(wxEVT_TEXT, [this, id, box](wxCommandEvent&) {
                std::string typed = ToUtf8(box->GetValue());
                Act([id, &typed](Dialog& dialog) { dialog.TypeText(id, typed); });
            });
            break;
        }
        default:
            break;
    }
}

void TemplateDialogWindow::Act(const std::function<void(Dialog&)>& action) {
    if (dialog_ == nullptr)
        return;
    action(*dialog_);
    if (afterUserEvent_)
        afterUserEvent_();
}

void TemplateDialogWindow::OnCharHook(wxKeyEvent& event) {
    int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
        Act([](Dialog& dialog) { dialog.PressEscape(); });
        return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        // A focused push button takes Enter itself, and a box of several lines a new line.
        wxWindow* focus = FindFocus();
        auto* box = dynamic_cast<wxTextCtrl*>(focus);
        if (dynamic_cast<wxButton*>(focus) != nullptr || (box != nullptr && box->IsMultiLine())) {
            event.Skip();
            return;
        }
        Act([](Dialog& dialog) { dialog.PressEnter(); });
        return;
    }
    event.Skip();
}

void TemplateDialogWindow::OnCloseBox(wxCloseEvent& event) {
    if (event.CanVeto())
        event.Veto();
    Act([](Dialog& dialog) { dialog.CloseBox(); });
}

void TemplateDialogWindow::Present() {
    Sync();
    CentreOnParent();
    Show();
    disabler_ = std::make_unique<wxWindowDisabler>(this);
    presented_ = true;
    // The focus starts where the dialog put it, or on its first control the user can
    // change or press (a caret in a box that only shows a status helps nobody).
    if (dialog_->FocusId() >= 0) {
        FocusControl(dialog_->FocusId());
        return;
    }
    for (const ControlTemplate& source : dialog_->Template().controls) {
        const Control* control = Find(source.id);
        bool readOnly = source.kind == ControlKind::EditText && (source.style & kReadOnly) != 0;
        // In a radio group the focus goes to the button that is on.
        if (source.kind == ControlKind::RadioButton && control != nullptr &&
            !static_cast<wxRadioButton*>(control->window)->GetValue())
            continue;
        if (control != nullptr && source.id >= 0 && !readOnly && control->window->IsEnabled() &&
            control->window->AcceptsFocus()) {
            control->window->SetFocus();
            return;
        }
    }
}

void TemplateDialogWindow::Sync() {
    if (dialog_ == nullptr)
        return;
    for (Control& control : controls_)
        SyncControl(control);
}

void TemplateDialogWindow::SyncControl(Control& control) {
    const ControlState* state = nullptr;
    for (const ControlState& candidate : dialog_->Controls()) {
        if (candidate.source == control.source)
            state = &candidate;
    }
    if (state == nullptr)
        return;  // the dialog's loop has not started yet
    wxWindow* window = control.window;
    if (window->IsThisEnabled() != state->enabled)
        window->Enable(state->enabled);

    switch (control.source->kind) {
        case ControlKind::EditText: {
            auto* box = static_cast<wxTextCtrl*>(window);
            if (ToUtf8(box->GetValue()) != state->text)
                box->ChangeValue(FromUtf8(state->text));  // no text event: the user typed nothing
            control.shown = state->text;
            break;
        }
        case ControlKind::StaticText: {
            if (control.shown == state->text)
                break;
            std::string text = state->text;
            if (IsMultilineStatic(*control.source)) {
                text = WrapLabel(text, window->GetSize().x, [window](const std::string& line) {
                    return window->GetTextExtent(FromUtf8(line)).x;
                });
            }
            static_cast<wxStaticText*>(window)->SetLabelMarkup(FromUtf8(MnemonicToMarkup(text)));
            control.shown = state->text;
            break;
        }
        case ControlKind::RadioButton: {
            auto* radio = static_cast<wxRadioButton*>(window);
            // A toolkit radio group always has one button on; checking one turns the rest off.
            if (state->checked && !radio->GetValue())
                radio->SetValue(true);
            [[fallthrough]];
        }
        case ControlKind::PushButton:
        case ControlKind::GroupBox:
            if (control.shown != state->text) {
                window->SetLabel(FromUtf8(state->text));
                control.shown = state->text;
            }
            break;
        case ControlKind::ProgressBar: {
            auto* gauge = static_cast<wxGauge*>(window);
            int range = std::max(state->rangeHigh - state->rangeLow, 1);
            if (gauge->GetRange() != range)
                gauge->SetRange(range);
            int value = std::clamp(state->position - state->rangeLow, 0, range);
            if (gauge->GetValue() != value)
                gauge->SetValue(value);
            control.shown = std::to_string(state->position);
            break;
        }
        case ControlKind::Icon:
            break;
    }
}

void TemplateDialogWindow::FocusControl(int id) {
    for (const Control& control : controls_) {
        if (control.source->id != id)
            continue;
        control.window->SetFocus();
        if (auto* box = dynamic_cast<wxTextCtrl*>(control.window))
            box->SelectAll();
        return;
    }
}

void TemplateDialogWindow::Retire() {
    dialog_ = nullptr;
    disabler_.reset();
    Hide();
    Destroy();
}

const TemplateDialogWindow::Control* TemplateDialogWindow::Find(int id) const {
    for (const Control& control : controls_) {
        if (control.source->id == id)
            return &control;
    }
    return nullptr;
}

std::string TemplateDialogWindow::ShownText(int id) const {
    const Control* control = Find(id);
    if (control == nullptr)
        return {};
    if (auto* box = dynamic_cast<wxTextCtrl*>(control->window))
        return ToUtf8(box->GetValue());
    if (auto* radio = dynamic_cast<wxRadioButton*>(control->window))
        return radio->GetValue() ? "(x)" : "( )";
    return control->shown;
}

std::vector<int> TemplateDialogWindow::ControlsCutShort() const {
    std::vector<int> cut;
    for (const Control& control : controls_) {
        if (IsEmpty(control.source->rect))
            continue;
        PixelSize needed = Needed(control);
        wxSize size = control.window->GetSize();
        if (needed.width > size.x || needed.height > size.y)
            cut.push_back(control.source->id);
    }
    return cut;
}

bool TemplateDialogWindow::ShownEnabled(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->window->IsThisEnabled();
}

}  // namespace ui
