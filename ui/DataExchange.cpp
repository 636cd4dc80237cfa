#include "ui/DataExchange.h"

#include <cctype>
#include <climits>
#include <string>

#include "ui/Dialog.h"
#include "ui/MessageBox.h"

namespace ui {

namespace {

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

// Decimal digits only, within range; anything else is not a number.
bool ParseDigits(const std::string& digits, unsigned long long limit, unsigned long long& out) {
    if (digits.empty())
        return false;
    unsigned long long value = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > limit)
            return false;
    }
    out = value;
    return true;
}

bool ParseUnsigned(const std::string& text, unsigned& out) {
    unsigned long long value = 0;
    if (!ParseDigits(Trimmed(text), UINT_MAX, value))
        return false;
    out = static_cast<unsigned>(value);
    return true;
}

bool ParseInt(const std::string& text, int& out) {
    std::string trimmed = Trimmed(text);
    bool negative = !trimmed.empty() && trimmed[0] == '-';
    if (!trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '+'))
        trimmed.erase(0, 1);
    unsigned long long limit = negative ? static_cast<unsigned long long>(INT_MAX) + 1 : INT_MAX;
    unsigned long long value = 0;
    if (!ParseDigits(trimmed, limit, value))
        return false;
    out = negative ? static_cast<int>(-static_cast<long long>(value)) : static_cast<int>(value);
    return true;
}

}  // namespace

void DataExchange::Fail(int id, const char* message) {
    failed_ = true;
    MessageBox(&dialog_, message, dialog_.Caption(), MB_OK | MB_ICONEXCLAMATION);
    dialog_.SetFocus(id);
}

void DataExchange::Text(int id, std::string& value) {
    if (failed_)
        return;
    if (mode_ == Mode::Load)
        dialog_.SetControlText(id, value);
    if (mode_ == Mode::Save)
        value = dialog_.ControlText(id);
}

void DataExchange::Int(int id, int& value) {
    if (failed_)
        return;
    if (mode_ == Mode::Load) {
        dialog_.SetControlText(id, std::to_string(value));
        return;
    }
    int parsed = 0;
    if (!ParseInt(dialog_.ControlText(id), parsed)) {
        Fail(id, "Please enter an integer.");
        return;
    }
    if (mode_ == Mode::Save)
        value = parsed;
}

void DataExchange::Unsigned(int id, unsigned& value) {
    if (failed_)
        return;
    if (mode_ == Mode::Load) {
        dialog_.SetControlText(id, std::to_string(value));
        return;
    }
    unsigned parsed = 0;
    if (!ParseUnsigned(dialog_.ControlText(id), parsed)) {
        Fail(id, "Please enter a positive integer.");
        return;
    }
    if (mode_ == Mode::Save)
        value = parsed;
}

void DataExchange::Radio(int firstId, int& index) {
    if (failed_)
        return;
    std::vector<std::size_t> group = dialog_.RadioGroup(firstId);
    if (mode_ == Mode::Load) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            dialog_.controls_[group[i]].checked = static_cast<int>(i) == index;
        }
        dialog_.MarkDirty();
        return;
    }
    if (mode_ != Mode::Save)
        return;
    index = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
        if (dialog_.controls_[group[i]].checked) {
            index = static_cast<int>(i);
            break;
        }
    }
}

void DataExchange::Progress(int id, int& position) {
    if (failed_)
        return;
    if (mode_ == Mode::Load)
        dialog_.SetProgressPos(id, position);
    if (mode_ == Mode::Save)
        position = dialog_.ProgressPos(id);
}

}  // namespace ui
