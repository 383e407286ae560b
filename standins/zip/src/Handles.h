// Owning wrappers for the Win32 handles of the ZIP libraries: every way out of a command, an
// exception included, closes what it opened.
#pragma once

#include <windows.h>

#include <utility>

namespace zipdll {

class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, INVALID_HANDLE_VALUE));
        return *this;
    }
    ~FileHandle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (*this) ::CloseHandle(h_);
        h_ = h;
    }

  private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

class FindHandle {
  public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (h_ != INVALID_HANDLE_VALUE) ::FindClose(h_);
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE h_;
};

}  // namespace zipdll
