// Owning wrappers for the GDI and user objects the windows hold: fonts, bitmaps, image lists,
// menus, accelerator tables. Each frees its object when it goes, also on an error path.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace widgets {

template <typename H, BOOL(WINAPI* Free)(H)>
class UniqueGdi {
  public:
    UniqueGdi() = default;
    explicit UniqueGdi(H h) : h_(h) {}
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;
    UniqueGdi(UniqueGdi&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueGdi& operator=(UniqueGdi&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~UniqueGdi() { reset(); }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    H release() { return std::exchange(h_, nullptr); }
    void reset(H h = nullptr) {
        if (h_) Free(h_);
        h_ = h;
    }

  private:
    H h_ = nullptr;
};

inline BOOL WINAPI DeleteFontObject(HFONT h) {
    return ::DeleteObject(h);
}
inline BOOL WINAPI DeleteBitmapObject(HBITMAP h) {
    return ::DeleteObject(h);
}

using FontHandle = UniqueGdi<HFONT, DeleteFontObject>;
using BitmapHandle = UniqueGdi<HBITMAP, DeleteBitmapObject>;
using ImageListHandle = UniqueGdi<HIMAGELIST, ImageList_Destroy>;
using MenuHandle = UniqueGdi<HMENU, ::DestroyMenu>;
using AcceleratorHandle = UniqueGdi<HACCEL, ::DestroyAcceleratorTable>;
using IconHandle = UniqueGdi<HICON, ::DestroyIcon>;

}  // namespace widgets
