#pragma once

#include <cstdint>
#include <string>
#include <utility>

// Says on the main window's status line that the receiver is not answering once it has
// been silent for kNoticeMs, and what Cancel does. The wait itself goes on: the receiver's
// rules set no limit to it. The status line is given back when the receiver is heard
// again or the notice goes.
class SilenceNotice {
  public:
    static constexpr std::uint64_t kNoticeMs = 15000;

    // cancelDoes ends the notice: "Cancel stops waiting."
    explicit SilenceNotice(std::string cancelDoes) : cancelDoes_(std::move(cancelDoes)) {}
    ~SilenceNotice() { TakeDown(); }
    SilenceNotice(const SilenceNotice&) = delete;
    SilenceNotice& operator=(const SilenceNotice&) = delete;

    // The silence starts now.
    void Start();
    // The receiver was heard (or moved on): the silence starts anew, a notice goes.
    void Heard();
    // Once a tick: after kNoticeMs without a word, the notice goes up.
    void Check();
    // Gives the status line back, unless the program is ending.
    void TakeDown();

  private:
    std::string cancelDoes_;
    std::uint64_t lastHeardMs_ = 0;
    bool shown_ = false;
    std::string statusBefore_;
};
