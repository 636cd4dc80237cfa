#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/DialogTemplate.h"

namespace ui {

// One of our dialog templates as the system's dialog manager reads it: a DLGTEMPLATEEX
// with its items, in dialog units, in the dialog font. The header and every item start
// on a four-byte boundary, or the system refuses the template. The dialog is made
// without WS_VISIBLE: it is shown once its modal loop starts.
class InMemoryDialogTemplate {
  public:
    explicit InMemoryDialogTemplate(const DialogTemplate& dialog);

    // The bytes, aligned for the system (the buffer is of 32-bit words).
    const void* Data() const { return words_.data(); }
    std::size_t Size() const { return bytes_.size(); }

    // Window classes and styles of a control as the template writes them.
    struct ItemStyle {
        std::uint16_t classAtom;             // 0 when className names the class
        const wchar_t* className = nullptr;  // for controls of the common controls
        std::uint32_t style;
    };
    // previousIsRadio: the control before it in the template is a radio button.
    static ItemStyle StyleOf(const ControlTemplate& control, bool previousIsRadio);

    // Dialog units that controls without a box of their own get (test templates).
    static Rect LooseBox(std::size_t index);

  private:
    void Align();
    void Word(std::uint16_t value);
    void DoubleWord(std::uint32_t value);
    void Text(std::string_view utf8);
    void Item(const ControlTemplate& control, const Rect& box, bool previousIsRadio);

    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint32_t> words_;
};

}  // namespace ui
