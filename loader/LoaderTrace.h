#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The flash loader's trace file "DEBUG.OUT" in the working directory. Opening empties
// it, so every engine starts a new trace. When the file cannot be created the engine
// runs without a trace; write errors are not looked at.
class LoaderTrace {
  public:
    static constexpr const char* kFileName = "DEBUG.OUT";

    LoaderTrace() = default;
    ~LoaderTrace() { Close(); }
    LoaderTrace(const LoaderTrace&) = delete;
    LoaderTrace& operator=(const LoaderTrace&) = delete;

    void Open();
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Writes formatted text; the format is always a literal of the engine.
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The bytes of a frame, each as " %02x", then the line end.
    void Frame(const std::uint8_t* bytes, std::size_t count);

  private:
    std::FILE* file_ = nullptr;
};
