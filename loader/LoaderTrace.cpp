#include "loader/LoaderTrace.h"

#include <cstdarg>

void LoaderTrace::Open() {
    Close();
    file_ = std::fopen(kFileName, "w");
}

void LoaderTrace::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void LoaderTrace::Line(const char* format, ...) {
    if (file_ == nullptr)
        return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(file_, format, args);
    va_end(args);
    // Flushed at once, so that the trace is complete up to the last step even when the
    // program is ended from outside.
    std::fflush(file_);
}

void LoaderTrace::Frame(const std::uint8_t* bytes, std::size_t count) {
    if (file_ == nullptr)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        std::fprintf(file_, " %02x", static_cast<unsigned>(bytes[i]));
    }
    std::fputc('\n', file_);
    std::fflush(file_);
}
