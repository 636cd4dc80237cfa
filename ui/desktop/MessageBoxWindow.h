#pragma once

// The base class first: the generic box's header does not include it.
#include <wx/msgdlg.h>

#include <wx/generic/msgdlgg.h>

#include <string>

namespace ui {

// A message box drawn by the toolkit's generic code rather than the native one: GTK 3's
// native boxes show no icon, and the icon is what tells the user how grave a message is.
// Return answers the default button, Escape and the close box the cancel button (No in a
// Yes/No box, OK in a box with one button).
class MessageBoxWindow : public wxGenericMessageDialog {
  public:
    // flags: the framework's button and icon flags (MB_...).
    MessageBoxWindow(wxWindow* parent, const std::string& text, const std::string& caption,
                     unsigned flags);

    // Runs the box until it is answered or cancelled; answers IDOK, IDCANCEL, IDYES or IDNO.
    int Run();
    // Ends a running box as its cancel button would.
    void Cancel();
    // What the cancel button answers.
    int CancelAnswer() const;
    // The icon kind (MB_ICONSTOP ...) whose picture the box shows now; 0 for none.
    unsigned ShownIcon() const;

  private:
    unsigned flags_;
};

}  // namespace ui
