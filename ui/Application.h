#pragma once

namespace ui {

class FrameWindow;

// The application object: start-up hook and main loop.
class Application {
  public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual bool InitInstance() { return true; }
    // Runs the main loop until a quit is posted; answers the posted code.
    int Run();

    FrameWindow* mainWindow = nullptr;
};

// The one application object, or nullptr.
Application* GetApp();

// Ends every running modal loop and then the main loop with code.
void PostQuitMessage(int code);

}  // namespace ui
