#include "ui/Window.h"

#include "ui/Backend.h"
#include "ui/Runtime.h"

namespace ui {

Window::~Window() {
    Runtime::Get().Timers().KillAll(this);
}

bool Window::SetTimer(int id, unsigned periodMs) {
    if (!IsWindowAlive())
        return false;
    Runtime& runtime = Runtime::Get();
    runtime.Timers().Set(this, id, periodMs, runtime.NowMs());
    if (runtime.HasBackend())
        runtime.UseBackend().Wake();
    return true;
}

void Window::KillTimer(int id) {
    Runtime::Get().Timers().Kill(this, id);
}

}  // namespace ui
