#pragma once

#include <wx/dialog.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/DialogTemplate.h"
#include "ui/desktop/DialogLayout.h"

class wxWindowDisabler;

namespace ui {

class Dialog;

// A dialog drawn from its template with native controls. It forwards what the user does
// to the framework's Dialog and shows the Dialog's control states when told to. Once
// retired (the Dialog's loop is over) it ignores every event and deletes itself.
class TemplateDialogWindow : public wxDialog {
  public:
    // afterUserEvent runs after every user action has been handed to the Dialog.
    TemplateDialogWindow(wxWindow* parent, Dialog& dialog, std::function<void()> afterUserEvent);
    ~TemplateDialogWindow() override;

    // Shows the window and keeps every other window from taking input meanwhile.
    void Present();
    bool Presented() const { return presented_; }
    // Brings the controls up to date with the Dialog's control states.
    void Sync();
    void FocusControl(int id);
    void Retire();

    // What a control shows now (for tests and probes).
    std::string ShownText(int id) const;
    bool ShownEnabled(int id) const;
    // Ids of controls whose content is larger than their box (-1 for unnamed ones).
    std::vector<int> ControlsCutShort() const;

  private:
    struct Control {
        const ControlTemplate* source;
        wxWindow* window;
        std::string shown;  // the text last put on screen
    };
    wxWindow* CreateControl(const ControlTemplate& source);
    PixelSize Needed(const Control& control) const;
    void LayOut();
    void BindControl(const Control& control);
    void SyncControl(Control& control);
    // Runs a user action on the Dialog, unless the window is retired.
    void Act(const std::function<void(Dialog&)>& action);
    void OnCharHook(wxKeyEvent& event);
    void OnCloseBox(wxCloseEvent& event);
    const Control* Find(int id) const;

    Dialog* dialog_;
    std::function<void()> afterUserEvent_;
    std::vector<Control> controls_;
    std::unique_ptr<wxWindowDisabler> disabler_;
    bool presented_ = false;
};

}  // namespace ui
