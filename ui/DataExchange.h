#pragma once

#include <string>

namespace ui {

class Dialog;

// Moves values between a dialog's members and its controls. When saving, every
// conversion is checked before anything is stored: one bad field stores nothing.
class DataExchange {
  public:
    enum class Mode { Load, Validate, Save };

    DataExchange(Dialog& dialog, Mode mode) : dialog_(dialog), mode_(mode) {}

    bool Saving() const { return mode_ != Mode::Load; }
    bool Failed() const { return failed_; }

    void Text(int id, std::string& value);
    void Int(int id, int& value);
    void Unsigned(int id, unsigned& value);
    // Index of the checked button in the radio group that begins with firstId, -1 for none.
    void Radio(int firstId, int& index);
    void Progress(int id, int& position);

  private:
    void Fail(int id, const char* message);

    Dialog& dialog_;
    Mode mode_;
    bool failed_ = false;
};

}  // namespace ui
