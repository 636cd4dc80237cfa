#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/DialogTemplate.h"

struct HWND__;
struct tagMSG;

namespace ui {

class Dialog;

// A dialog that the system's dialog manager made from its template (a modeless dialog
// whose modality the backend keeps). It hands what the user does to the framework's
// Dialog and shows the Dialog's control states when told to. Once retired it ignores
// every event.
class Win32DialogWindow {
  public:
    // afterUserEvent runs after every user action has been handed to the Dialog.
    Win32DialogWindow(Dialog& dialog, HWND__* owner, std::function<void()> afterUserEvent);
    ~Win32DialogWindow();
    Win32DialogWindow(const Win32DialogWindow&) = delete;
    Win32DialogWindow& operator=(const Win32DialogWindow&) = delete;

    HWND__* Handle() const { return window_; }
    // Shows the window over its owner and gives the focus to the right control.
    void Present();
    bool Presented() const { return presented_; }
    // Brings the controls up to date with the Dialog's control states.
    void Sync();
    void FocusControl(int id);
    // Keyboard of the dialog: Escape goes to the Dialog, the rest to the dialog manager.
    // Answers whether the message was handled.
    bool PreTranslate(tagMSG& message);
    void Retire();
    // The dialog procedure's work; answers whether the message was handled.
    bool OnMessage(HWND__* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // What a control shows now (for tests and probes).
    std::string ShownText(int id) const;
    bool ShownEnabled(int id) const;
    // Ids of controls whose content is larger than their box (-1 for unnamed ones).
    std::vector<int> ControlsCutShort() const;

  private:
    struct Control {
        const ControlTemplate* source;
        HWND__* window;
        std::string shown;  // the text last put on screen
    };
    void OnCommand(int id, int code, HWND__* control);
    void Act(const std::function<void(Dialog&)>& action);
    void SyncControl(Control& control);
    const Control* Find(int id) const;

    Dialog* dialog_;
    std::function<void()> afterUserEvent_;
    HWND__* window_ = nullptr;
    std::vector<Control> controls_;
    bool presented_ = false;
    bool syncing_ = false;  // text set by the program is no typing of the user
};

}  // namespace ui
