#include "ui/Application.h"

#include "ui/Backend.h"
#include "ui/Runtime.h"

namespace ui {

Application::Application() {
    if (Runtime::Get().App() == nullptr)
        Runtime::Get().SetApp(this);
}

Application::~Application() {
    if (Runtime::Get().App() == this)
        Runtime::Get().SetApp(nullptr);
}

int Application::Run() {
    Runtime& runtime = Runtime::Get();
    if (!runtime.QuitPosted())
        runtime.UseBackend().RunMainLoop();
    return runtime.QuitCode();
}

Application* GetApp() {
    return Runtime::Get().App();
}

void PostQuitMessage(int code) {
    Runtime::Get().PostQuit(code);
}

}  // namespace ui
