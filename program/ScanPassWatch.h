#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace ui {
class Dialog;
}

// Ends the connection scan with Cancel once it has tried every port and speed it goes
// through without an answer: a one-shot command does not wait for a receiver to be
// switched on. After a part of the upload has been loaded the receiver restarts, so the
// scan that finds it again may go on through further passes for a while. Other dialogs
// pass by.
class ScanPassWatch {
  public:
    // How long the scan after a completed part looks for the restarting receiver.
    static constexpr std::uint64_t kRestartWaitMs = 15000;

    // The receiver restarts now: passes ending before kRestartWaitMs from now go on.
    void AwaitRestart(std::uint64_t nowMs) { restartUntilMs_ = nowMs + kRestartWaitMs; }
    // Looks at a dialog that was opened (a new scan) or changed.
    void Look(ui::Dialog& dialog, bool opened);
    // A scan was ended here since the last Reset.
    bool PassEnded() const { return passEnded_; }
    // The ports the scan tried, for the line that says nobody answered: "COM1 (/dev/x)",
    // or with why it did not open: "COM1 (open /dev/x: device in use)".
    std::string Tried() const;
    void Reset() { *this = ScanPassWatch(); }

  private:
    // A new scan starts its pass again; what was tried and ended stays said.
    void Restart() {
        first_.reset();
        moved_ = false;
    }

    std::optional<std::pair<int, int>> first_;  // port index and speed the scan began at
    bool moved_ = false;
    bool passEnded_ = false;
    std::uint64_t restartUntilMs_ = 0;
    std::map<int, std::string> tried_;  // by port index
};
