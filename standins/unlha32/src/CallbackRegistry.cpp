#include "CallbackRegistry.h"

namespace unlha {

CallbackRegistry& CallbackRegistry::Instance() {
    static CallbackRegistry registry;
    return registry;
}

bool CallbackRegistry::SetOwner(HWND window) {
    if (!window || !::IsWindow(window)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = window;
    return true;
}

bool CallbackRegistry::KillOwner(HWND window) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (owner_ == nullptr || (window != nullptr && window != owner_)) return false;
    owner_ = nullptr;
    return true;
}

HWND CallbackRegistry::Owner() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owner_;
}

bool CallbackRegistry::SetEnumProc(UnlhaEnumMembersProc proc) {
    if (!proc) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    enumProc_ = proc;
    return true;
}

void CallbackRegistry::ClearEnumProc() {
    std::lock_guard<std::mutex> lock(mutex_);
    enumProc_ = nullptr;
}

UnlhaEnumMembersProc CallbackRegistry::EnumProc() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return enumProc_;
}

UINT CallbackRegistry::ProgressMessage() {
    static const UINT message = ::RegisterWindowMessageA("wm_arcextract");
    return message;
}

}  // namespace unlha
