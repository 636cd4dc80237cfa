// Standard input on Windows: a console or a pipe cannot be waited on for "a line is
// there", so a reader thread reads it and hands the bytes over behind an event. A
// console is read as text in UTF-16 and handed on as UTF-8.
#include <io.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/SystemApi.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "ui/terminal/ConsoleInput.h"

namespace ui {

namespace {

// What the thread reads ahead of the loop before it waits for the loop to take it.
constexpr std::size_t kReadAhead = 64 * 1024;
// Ctrl-Z at the start of a console line ends the input, as it does for the system's tools.
constexpr wchar_t kConsoleEnd = L'\x1a';

}  // namespace

struct ConsoleInput::Reader {
    HANDLE input = INVALID_HANDLE_VALUE;
    bool console = false;
    platform::UniqueHandle ready;  // manual reset: bytes or the end are there
    std::mutex guard;
    std::condition_variable taken;
    std::string bytes;
    bool ended = false;
    bool stopping = false;

    void Hand(std::string more, bool end) {
        std::unique_lock<std::mutex> lock(guard);
        taken.wait(lock, [&] { return bytes.size() < kReadAhead || stopping; });
        bytes += more;
        ended = ended || end;
        ::SetEvent(ready.Get());
    }

    // Runs on the reader thread until the end of input.
    void Run() {
        for (bool end = false; !end;) {
            std::string more;
            if (console) {
                wchar_t text[512];
                DWORD count = 0;
                end = ::ReadConsoleW(input, text, 512, &count, nullptr) == 0 ||
                      (count > 0 && text[0] == kConsoleEnd);
                if (!end)
                    more = platform::Utf8FromWide(std::wstring_view(text, count));
            } else {
                char buffer[4096];
                DWORD count = 0;
                end = ::ReadFile(input, buffer, sizeof buffer, &count, nullptr) == 0 || count == 0;
                more.assign(buffer, count);
            }
            Hand(std::move(more), end);
            std::lock_guard<std::mutex> lock(guard);
            if (stopping)
                return;
        }
    }
};

ConsoleInput::ConsoleInput(int fd) : fd_(fd), reader_(std::make_shared<Reader>()) {
    Reader& reader = *reader_;
    reader.input = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    DWORD mode = 0;
    reader.console = ::GetConsoleMode(reader.input, &mode) != 0;
    reader.ready.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (reader.input == INVALID_HANDLE_VALUE) {
        reader.ended = true;
        ::SetEvent(reader.ready.Get());
        return;
    }
    // The thread holds the reader too: a read that never returns (a console nobody types
    // into) cannot outlive what it writes into. It ends with the input or the process.
    std::thread([reader = reader_] { reader->Run(); }).detach();
}

ConsoleInput::~ConsoleInput() {
    std::lock_guard<std::mutex> lock(reader_->guard);
    reader_->stopping = true;
    reader_->taken.notify_all();
}

platform::Waitable ConsoleInput::Source() const {
    return {reinterpret_cast<std::intptr_t>(reader_->ready.Get())};
}

long ConsoleInput::Read(char* buffer, std::size_t size) {
    Reader& reader = *reader_;
    std::lock_guard<std::mutex> lock(reader.guard);
    if (reader.bytes.empty()) {
        if (reader.ended)
            return 0;
        ::ResetEvent(reader.ready.Get());
        return -1;
    }
    std::size_t n = reader.bytes.size() < size ? reader.bytes.size() : size;
    std::memcpy(buffer, reader.bytes.data(), n);
    reader.bytes.erase(0, n);
    if (reader.bytes.empty() && !reader.ended)
        ::ResetEvent(reader.ready.Get());
    reader.taken.notify_all();
    return static_cast<long>(n);
}

bool ConsoleInput::Echoes() const {
    return reader_->console;
}

}  // namespace ui
