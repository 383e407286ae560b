// Owning wrappers for Win32 handles, so that every path out of a function, an exception included,
// releases them. Header-only: the stand-in libraries, which link nothing of ours, use them too.
#pragma once

#include <windows.h>

#include <utility>

namespace ostra {

template <typename Traits>
class UniqueHandle {
  public:
    using handle_type = typename Traits::handle_type;
    UniqueHandle() = default;
    explicit UniqueHandle(handle_type h) : Handle_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : Handle_(std::exchange(o.Handle_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.Handle_, Traits::invalid()));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    handle_type get() const { return Handle_; }
    bool valid() const { return Handle_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }
    handle_type release() { return std::exchange(Handle_, Traits::invalid()); }
    void reset(handle_type h = Traits::invalid()) {
        if (valid()) Traits::close(Handle_);
        Handle_ = h;
    }

  private:
    handle_type Handle_ = Traits::invalid();
};

struct FileHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(handle_type h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {  // handles whose failure value is null: processes, mutexes, events
    using handle_type = HANDLE;
    static handle_type invalid() { return nullptr; }
    static void close(handle_type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(handle_type h) { ::FindClose(h); }
};
struct RegKeyTraits {
    using handle_type = HKEY;
    static handle_type invalid() { return nullptr; }
    static void close(handle_type h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
    using handle_type = HMODULE;
    static handle_type invalid() { return nullptr; }
    static void close(handle_type h) { ::FreeLibrary(h); }
};
struct WindowHandleTraits {
    using handle_type = HWND;
    static handle_type invalid() { return nullptr; }
    static void close(handle_type h) { ::DestroyWindow(h); }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using WindowHandle = UniqueHandle<WindowHandleTraits>;

}  // namespace ostra
