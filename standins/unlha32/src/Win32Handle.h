// Owning wrappers for the Win32 handles of this library, so that every way out of a command,
// an exception included, closes what it opened.
#pragma once

#include <windows.h>

#include <utility>

namespace unlha {

template <typename Traits>
class Win32Handle {
  public:
    using handle_type = typename Traits::handle_type;
    Win32Handle() = default;
    explicit Win32Handle(handle_type h) : h_(h) {}
    Win32Handle(const Win32Handle&) = delete;
    Win32Handle& operator=(const Win32Handle&) = delete;
    Win32Handle(Win32Handle&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
    Win32Handle& operator=(Win32Handle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
        return *this;
    }
    ~Win32Handle() { reset(); }

    handle_type get() const { return h_; }
    bool valid() const { return h_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }
    handle_type release() { return std::exchange(h_, Traits::invalid()); }
    void reset(handle_type h = Traits::invalid()) {
        if (valid()) Traits::close(h_);
        h_ = h;
    }

  private:
    handle_type h_ = Traits::invalid();
};

struct FileHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(handle_type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(handle_type h) { ::FindClose(h); }
};
struct WindowHandleTraits {
    using handle_type = HWND;
    static handle_type invalid() { return nullptr; }
    static void close(handle_type h) { ::DestroyWindow(h); }
};

using FileHandle = Win32Handle<FileHandleTraits>;
using FindHandle = Win32Handle<FindHandleTraits>;
using WindowHandle = Win32Handle<WindowHandleTraits>;

}  // namespace unlha
