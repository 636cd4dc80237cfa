#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/MenuTemplate.h"

struct HWND__;
struct HMENU__;

namespace ui {

class FrameWindow;

// The main window: the template's menu (commands may stand on the bar itself, as the
// system allows), a plain child window as its client area and the status bar with the
// message pane and the caps-lock, num-lock and scroll-lock indicators.
class Win32FrameWindow {
  public:
    Win32FrameWindow(FrameWindow& frame, std::function<void()> afterUserEvent);
    ~Win32FrameWindow();
    Win32FrameWindow(const Win32FrameWindow&) = delete;
    Win32FrameWindow& operator=(const Win32FrameWindow&) = delete;

    HWND__* Handle() const { return window_; }
    // Shows a pane's text at once; pane -1 shows or hides the status bar.
    void ShowPane(int pane);
    // After the program has been busy: greyed commands on the bar and the indicators.
    void Idle();
    void Retire();
    // The window procedure's work.
    std::intptr_t OnMessage(HWND__* window, unsigned message, std::uintptr_t wParam,
                            std::intptr_t lParam);

    // What is on screen now (for tests and probes).
    std::string ShownStatusText(int pane) const;
    bool ShownCommandEnabled(int id) const;

  private:
    HMENU__* BuildMenu(const std::vector<MenuItem>& items, bool bar);
    void LayOut();
    void UpdatePopup(HMENU__* menu);

    FrameWindow* frame_;
    std::function<void()> afterUserEvent_;
    HWND__* window_ = nullptr;
    HWND__* view_ = nullptr;
    HWND__* statusBar_ = nullptr;
    std::map<int, std::string> prompts_;  // by command id
    std::vector<int> barCommands_;        // commands that stand on the bar itself
    std::vector<std::string> indicators_;  // shown in the panes after the message pane
};

}  // namespace ui
