#include "platform/win32/SystemApi.h"
#include "ui/terminal/ConsoleSession.h"

namespace ui {

struct ConsoleSession::Saved {
    UINT inputCodePage = 0;
    UINT outputCodePage = 0;
    HANDLE output = nullptr;
    DWORD outputMode = 0;
    bool haveMode = false;
};

ConsoleSession::ConsoleSession() : saved_(std::make_unique<Saved>()) {
    saved_->inputCodePage = ::GetConsoleCP();
    saved_->outputCodePage = ::GetConsoleOutputCP();
    ::SetConsoleCP(CP_UTF8);
    ::SetConsoleOutputCP(CP_UTF8);
    saved_->output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    saved_->haveMode = ::GetConsoleMode(saved_->output, &saved_->outputMode) != 0;
    if (saved_->haveMode) {
        ::SetConsoleMode(saved_->output, saved_->outputMode | ENABLE_PROCESSED_OUTPUT |
                                             ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

ConsoleSession::~ConsoleSession() {
    if (saved_->haveMode)
        ::SetConsoleMode(saved_->output, saved_->outputMode);
    if (saved_->inputCodePage != 0)
        ::SetConsoleCP(saved_->inputCodePage);
    if (saved_->outputCodePage != 0)
        ::SetConsoleOutputCP(saved_->outputCodePage);
}

}  // namespace ui
