#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/frontend/TestWindows.h"
#include "ui/desktop/DesktopBackend.h"

// The desktop tests' display: a virtual X server started for this test program, and
// the desktop backend on it. When the server cannot start, the tests that need it skip.
class XSession : public ::testing::Environment {
  public:
    static XSession& Get();

    void SetUp() override;
    void TearDown() override;

    // The backend, installed as the framework's backend; nullptr without a display.
    ui::DesktopBackend* Backend() const { return backend_.get(); }
    const std::string& ArtefactFolder() const { return artefacts_; }

  private:
    bool StartServer();

    pid_t server_ = -1;
    std::string artefacts_;
    std::unique_ptr<ui::DesktopBackend> backend_;
};

// Visible top-level windows of a process (this one by default; kAnyProcess: every titled
// one of the display), and their titles as the window manager reads them.
constexpr pid_t kAnyProcess = -1;
std::vector<std::string> VisibleWindowIds(pid_t process = 0);
std::string WindowTitle(const std::string& windowId);
// The visible window with exactly this title; empty when there is none.
std::string FindWindow(const std::string& title, pid_t process = 0);

// Gives the window the keyboard focus and presses keys ("Return", "ctrl+u", ...), or types
// text; answers whether the window was there.
bool PressKeysIn(const std::string& windowId, const std::vector<std::string>& keys);
bool TypeTextIn(const std::string& windowId, const std::string& text);

// Saves the window's picture as a PNG in the artefact folder (screenshots/ in the folder
// the test program started in); answers the path, empty on failure.
std::string Screenshot(const std::string& windowId, const std::string& name);
// Distinct colours of a picture: a blank or unpainted window has one or two.
int DistinctColours(const std::string& path);
