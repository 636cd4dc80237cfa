#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ui {

// One thing the user saw or did, as the scripted backend recorded it.
struct TranscriptEntry {
    enum class Kind {
        MessageBox,    // caption, text, flags
        BoxAnswer,     // value: the button
        DialogOpened,  // caption, controls
        DialogRefresh,
        DialogClosed,  // value: the result
        Status,        // value: pane, text
        FileOpen,      // caption: title; text: the answer, empty when cancelled
        Action,        // text: what the script did
        Failure,       // text: why the script failed
    };

    std::uint64_t timeMs = 0;
    Kind kind = Kind::Action;
    std::string caption;
    std::string text;
    unsigned flags = 0;
    int value = 0;
    std::vector<std::pair<int, std::string>> controls;  // id and shown text
    std::string fileRequest;  // FileOpen: "extension|filter|proposed name"

    // Readable one-line form, e.g. box "ERROR" [OK information] COULD NOT OPEN COM PORT
    std::string Line() const;
    // Text of control id in a dialog snapshot, or nothing.
    const std::string* Control(int id) const;
};

// Everything shown during a scripted run, for assertions.
class Transcript {
  public:
    void Add(TranscriptEntry entry) { entries_.push_back(std::move(entry)); }
    void Clear() { entries_.clear(); }

    const std::vector<TranscriptEntry>& Entries() const { return entries_; }
    std::string Dump() const;
    bool Contains(std::string_view substring) const { return Count(substring) > 0; }
    int Count(std::string_view substring) const;

    // Message boxes in the order shown.
    std::vector<const TranscriptEntry*> MessageBoxes() const;
    // Status texts of a pane in the order set.
    std::vector<std::string> StatusTexts(int pane = 0) const;
    // The texts one control of a dialog showed, each change once, in order.
    std::vector<std::string> ControlHistory(std::string_view caption, int id) const;

  private:
    std::vector<TranscriptEntry> entries_;
};

}  // namespace ui
