#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/MenuTemplate.h"
#include "ui/Window.h"

namespace ui {

// The main window: a menu of numbered commands and a status bar.
class FrameWindow : public Window {
  public:
    FrameWindow() = default;
    ~FrameWindow() override;

    // Creates the window with its menu and a status bar of paneCount panes.
    bool Create(const MenuTemplate& menu, int paneCount = 4);
    void Destroy();

    // Runs a menu command if it is enabled; answers whether it ran.
    bool RunCommand(int id);
    virtual void OnCommand(int /*id*/) {}
    // Update handler: whether a command is enabled. Asked each time a menu is shown.
    virtual bool IsCommandEnabled(int /*id*/) { return true; }

    // Sets a status bar pane; the text is shown at once.
    void SetPaneText(int pane, std::string_view text);
    std::string PaneText(int pane) const;
    int PaneCount() const { return static_cast<int>(panes_.size()); }
    void ShowStatusBar(bool show);
    bool StatusBarVisible() const { return statusBarVisible_; }

    const MenuTemplate* Menu() const { return menu_; }
    bool IsWindowAlive() const override { return created_; }

  private:
    const MenuTemplate* menu_ = nullptr;
    std::vector<std::string> panes_;
    bool created_ = false;
    bool statusBarVisible_ = true;
};

}  // namespace ui
