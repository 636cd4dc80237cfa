#include "tests/support/scripted/Transcript.h"

#include <cstdio>

#include "ui/MessageBoxFlags.h"

namespace ui {

namespace {

std::string ButtonsName(unsigned flags) {
    switch (flags & MB_BUTTONS_MASK) {
        case MB_OKCANCEL:
            return "OK Cancel";
        case MB_YESNO:
            return "Yes No";
        default:
            return "OK";
    }
}

std::string IconName(unsigned flags) {
    switch (flags & MB_ICON_MASK) {
        case MB_ICONSTOP:
            return " stop";
        case MB_ICONQUESTION:
            return " question";
        case MB_ICONEXCLAMATION:
            return " exclamation";
        case MB_ICONINFORMATION:
            return " information";
        default:
            return "";
    }
}

std::string AnswerName(int answer) {
    switch (answer) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        default:
            return std::to_string(answer);
    }
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

std::string Snapshot(const TranscriptEntry& entry) {
    std::string out;
    for (const auto& [id, text] : entry.controls) {
        // Appended piece by piece: g++ 12 at -O3 warns falsely about " " + string.
        out += ' ';
        out += std::to_string(id);
        out += "=\"";
        out += Escaped(text);
        out += '"';
    }
    return out;
}

}  // namespace

std::string TranscriptEntry::Line() const {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8.3f ", static_cast<double>(timeMs) / 1000.0);
    std::string line = stamp;
    switch (kind) {
        case Kind::MessageBox:
            return line + "box \"" + caption + "\" [" + ButtonsName(flags) + IconName(flags) +
                   "] " + Escaped(text);
        case Kind::BoxAnswer:
            return line + "box \"" + caption + "\" answered " + AnswerName(value);
        case Kind::DialogOpened:
            return line + "dialog \"" + caption + "\" opened" + Snapshot(*this);
        case Kind::DialogRefresh:
            return line + "dialog \"" + caption + "\"" + Snapshot(*this);
        case Kind::DialogClosed:
            return line + "dialog \"" + caption + "\" closed " + AnswerName(value);
        case Kind::Status:
            return line + "status " + std::to_string(value) + ": " + text;
        case Kind::FileOpen:
            return line + "file-open \"" + caption + "\" -> " + (text.empty() ? "cancelled" : text);
        case Kind::Action:
            return line + "script: " + text;
        case Kind::Failure:
            return line + "FAILURE: " + text;
    }
    return line;
}

const std::string* TranscriptEntry::Control(int id) const {
    for (const auto& [controlId, text] : controls) {
        if (controlId == id)
            return &text;
    }
    return nullptr;
}

std::string Transcript::Dump() const {
    std::string out;
    for (const TranscriptEntry& entry : entries_)
        out += entry.Line() + "\n";
    return out;
}

int Transcript::Count(std::string_view substring) const {
    int count = 0;
    for (const TranscriptEntry& entry : entries_) {
        if (entry.Line().find(substring) != std::string::npos)
            ++count;
    }
    return count;
}

std::vector<const TranscriptEntry*> Transcript::MessageBoxes() const {
    std::vector<const TranscriptEntry*> boxes;
    for (const TranscriptEntry& entry : entries_) {
        if (entry.kind == TranscriptEntry::Kind::MessageBox)
            boxes.push_back(&entry);
    }
    return boxes;
}

std::vector<std::string> Transcript::StatusTexts(int pane) const {
    std::vector<std::string> texts;
    for (const TranscriptEntry& entry : entries_) {
        if (entry.kind == TranscriptEntry::Kind::Status && entry.value == pane) {
            texts.push_back(entry.text);
        }
    }
    return texts;
}

std::vector<std::string> Transcript::ControlHistory(std::string_view caption, int id) const {
    std::vector<std::string> history;
    for (const TranscriptEntry& entry : entries_) {
        bool snapshot = entry.kind == TranscriptEntry::Kind::DialogOpened ||
                        entry.kind == TranscriptEntry::Kind::DialogRefresh;
        if (!snapshot || entry.caption != caption)
            continue;
        const std::string* text = entry.Control(id);
        if (text != nullptr && (history.empty() || history.back() != *text)) {
            history.push_back(*text);
        }
    }
    return history;
}

}  // namespace ui
