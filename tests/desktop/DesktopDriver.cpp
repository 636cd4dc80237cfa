// The front-end conformance suite (tests/frontend) on the Linux desktop, on the virtual
// X server of XSession: buttons and menu commands reach the toolkit's windows as their
// events, keys and typed paths come from the X server.
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/toplevel.h>

#include "tests/desktop/XSession.h"
#include "tests/frontend/FrontEndDriver.h"
#include "ui/FrameWindow.h"
#include "ui/desktop/ToolkitText.h"

namespace {

wxTopLevelWindow* FindTop(const std::string& caption) {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* top = dynamic_cast<wxTopLevelWindow*>(window);
        if (top != nullptr && top->IsShown() && ui::ToUtf8(top->GetTitle()) == caption)
            return top;
    }
    return nullptr;
}

wxWindow* FindButton(wxWindow* parent, const std::string& text) {
    for (wxWindow* child : parent->GetChildren()) {
        bool button = dynamic_cast<wxButton*>(child) != nullptr ||
                      dynamic_cast<wxRadioButton*>(child) != nullptr;
        if (button && ui::ToUtf8(wxControl::RemoveMnemonics(child->GetLabel())) == text)
            return child;
        if (wxWindow* inner = FindButton(child, text))
            return inner;
    }
    return nullptr;
}

class DesktopDriver : public FrontEndDriver {
  public:
    bool Ready() const override { return XSession::Get().Backend() != nullptr; }

    bool PressButton(const std::string& caption, const std::string& text) override {
        wxTopLevelWindow* top = FindTop(caption);
        wxWindow* button = top != nullptr ? FindButton(top, text) : nullptr;
        if (button == nullptr)
            return false;
        auto* radio = dynamic_cast<wxRadioButton*>(button);
        if (radio != nullptr)
            radio->SetValue(true);
        wxCommandEvent click(radio != nullptr ? wxEVT_RADIOBUTTON : wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        click.SetInt(1);
        button->GetEventHandler()->AddPendingEvent(click);
        return true;
    }

    bool PressEnter(const std::string& caption) override {
        return PressKeysIn(FindWindow(caption), {"Return"});
    }

    bool ChooseFile(const std::string& title, const std::string& path) override {
        const std::string id = FindWindow(title);
        return PressKeysIn(id, {"ctrl+l"}) && TypeTextIn(id, path) && PressKeysIn(id, {"Return"});
    }

    bool ChooseMenuCommand(const ui::FrameWindow& frame, const std::string& text) override {
        auto* window = dynamic_cast<wxFrame*>(FindTop(frame.Menu()->title));
        wxMenuBar* bar = window != nullptr ? window->GetMenuBar() : nullptr;
        for (std::size_t i = 0; bar != nullptr && i < bar->GetMenuCount(); ++i) {
            for (wxMenuItem* item : bar->GetMenu(i)->GetMenuItems()) {
                if (ui::ToUtf8(item->GetItemLabelText()) != text)
                    continue;
                if (!item->IsEnabled())
                    return false;
                wxCommandEvent command(wxEVT_MENU, item->GetId());
                window->GetEventHandler()->AddPendingEvent(command);
                return true;
            }
        }
        return false;
    }

    std::string ShownText(const ui::Dialog& dialog, int id) override {
        return Desktop().ShownControlText(dialog, id);
    }
    unsigned BoxIcon(const std::string&) override { return Desktop().ShownBoxIcon(); }
    std::string StatusText(const ui::FrameWindow& frame, int pane) override {
        return Desktop().ShownStatusText(frame, pane);
    }
    bool CommandEnabled(const ui::FrameWindow& frame, int id) override {
        return Desktop().ShownCommandEnabled(frame, id);
    }
    std::size_t LoopDepth() override { return Desktop().LoopDepth(); }
    std::vector<int> ControlsCutShort(const ui::Dialog& dialog) override {
        return Desktop().ControlsCutShort(dialog);
    }
    int Screenshot(const std::string& caption, const std::string& name) override {
        return DistinctColours(::Screenshot(FindWindow(caption), "linux-" + name));
    }

  private:
    static ui::DesktopBackend& Desktop() { return *XSession::Get().Backend(); }
};

}  // namespace

FrontEndDriver& Driver() {
    static DesktopDriver driver;
    return driver;
}
