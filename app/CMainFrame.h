#pragma once

#include "ui/FrameWindow.h"

class CUploaderApp;

// The main window: the menu of resource 128 and a status bar whose first pane names the
// identified receiver. It shows nothing else.
class CMainFrame : public ui::FrameWindow {
  public:
    // Status bar panes: the message pane, then caps lock, num lock and scroll lock.
    static constexpr int kPaneCount = 4;

    static constexpr const char* kCodeFilter =
        "hex Files (*.hex)|*.hex|S-record Files (*.srec)|*.srec|Binary Files "
        "(*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*||";
    static constexpr const char* kDataFilter =
        "Binary Files (*.bin;*.img)|*.bin;*.img|All Files (*.*)|*.*||";

    explicit CMainFrame(CUploaderApp& app) : app_(app) {}

    bool Create();

    void OnCommand(int id) override;
    // Upload only while in manual or expert mode.
    bool IsCommandEnabled(int id) override;

  private:
    void OnSelectCodeFile();
    void OnSelectDatabaseFile();

    CUploaderApp& app_;
};
