#include "ui/desktop/MessageBoxWindow.h"

#include <wx/artprov.h>
#include <wx/image.h>
#include <wx/statbmp.h>

#include <algorithm>
#include <cstring>

#include "ui/MessageBoxFlags.h"
#include "ui/desktop/ToolkitText.h"

namespace ui {

namespace {

constexpr unsigned kIconKinds[] = {MB_ICONSTOP, MB_ICONQUESTION, MB_ICONEXCLAMATION,
                                   MB_ICONINFORMATION};

long IconStyle(unsigned flags) {
    switch (flags & MB_ICON_MASK) {
        case MB_ICONSTOP:
            return wxICON_ERROR;
        case MB_ICONQUESTION:
            return wxICON_QUESTION;
        case MB_ICONEXCLAMATION:
            return wxICON_WARNING;
        case MB_ICONINFORMATION:
            return wxICON_INFORMATION;
        default:
            return 0;  // the generic box draws no icon; wxICON_NONE would make it look one up
    }
}

long BoxStyle(unsigned flags) {
    long style = wxCENTRE | IconStyle(flags);
    switch (flags & MB_BUTTONS_MASK) {
        case MB_OKCANCEL:
            return style | wxOK | wxCANCEL;
        case MB_YESNO:
            return style | wxYES_NO;
        default:
            return style | wxOK;
    }
}

bool SamePicture(const wxImage& a, const wxImage& b) {
    if (!a.IsOk() || !b.IsOk() || a.GetSize() != b.GetSize() || a.HasAlpha() != b.HasAlpha())
        return false;
    auto pixels = static_cast<std::size_t>(a.GetWidth()) * static_cast<std::size_t>(a.GetHeight());
    return std::memcmp(a.GetData(), b.GetData(), pixels * 3) == 0 &&
           (!a.HasAlpha() || std::memcmp(a.GetAlpha(), b.GetAlpha(), pixels) == 0);
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(wxWindow* parent, const std::string& text,
                                   const std::string& caption, unsigned flags)
    : wxGenericMessageDialog(parent, FromUtf8(text), FromUtf8(caption), BoxStyle(flags)),
      flags_(flags) {
    // Left alone, Escape in a Yes/No box would press the affirmative button: Yes.
    if ((flags & MB_BUTTONS_MASK) == MB_YESNO)
        SetEscapeId(wxID_NO);
}

int MessageBoxWindow::Run() {
    int answer = ShowModal();
    if ((flags_ & MB_BUTTONS_MASK) == MB_OK)
        return IDOK;  // a box with one button answers it however it is closed
    switch (answer) {
        case wxID_OK:
            return IDOK;
        case wxID_YES:
            return IDYES;
        case wxID_NO:
            return IDNO;
        default:
            return CancelAnswer();
    }
}

void MessageBoxWindow::Cancel() {
    if (IsModal())
        EndModal(wxID_CANCEL);
}

int MessageBoxWindow::CancelAnswer() const {
    return (flags_ & MB_BUTTONS_MASK) == MB_YESNO ? IDNO : IDCANCEL;
}

unsigned MessageBoxWindow::ShownIcon() const {
    for (const wxWindow* child : GetChildren()) {
        const auto* picture = dynamic_cast<const wxStaticBitmap*>(child);
        if (picture == nullptr || !picture->IsShownOnScreen())
            continue;
        wxImage shown = picture->GetBitmap().ConvertToImage();
        const unsigned* kind =
            std::find_if(std::begin(kIconKinds), std::end(kIconKinds), [&](unsigned k) {
                return SamePicture(
                    shown,
                    wxBitmap(wxArtProvider::GetMessageBoxIcon(IconStyle(k))).ConvertToImage());
            });
        if (kind != std::end(kIconKinds))
            return *kind;
    }
    return 0;
}

}  // namespace ui
