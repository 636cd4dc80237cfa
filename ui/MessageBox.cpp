#include "ui/MessageBox.h"

#include "ui/Backend.h"
#include "ui/Runtime.h"

namespace ui {

int MessageBox(Window* owner, const std::string& text, const std::string& caption, unsigned flags) {
    Runtime& runtime = Runtime::Get();
    if (runtime.QuitPosted()) {
        // A quitting program answers every new box with its cancel button at once.
        return (flags & MB_BUTTONS_MASK) == MB_YESNO ? IDNO : IDCANCEL;
    }
    int answer = runtime.UseBackend().ShowMessageBox(owner, text, caption, flags);
    runtime.FlushUpdates();
    return answer;
}

}  // namespace ui
