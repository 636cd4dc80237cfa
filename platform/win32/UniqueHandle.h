#pragma once

#include "platform/win32/SystemApi.h"

namespace platform {

// Owns a kernel handle and closes it when it goes.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    // Closes the handle held; answers whether the close went well.
    bool Reset(HANDLE handle = nullptr) {
        bool closed = true;
        if (Valid())
            closed = ::CloseHandle(handle_) != 0;
        handle_ = handle;
        return closed;
    }

  private:
    HANDLE handle_ = nullptr;
};

}  // namespace platform
