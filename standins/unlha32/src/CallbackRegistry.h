// The process-wide receivers of progress: the owner window set by UnlhaSetOwnerWindowEx and
// the member callback set by UnlhaSetEnumMembersProc64. A command copies them when it starts.
#pragma once

#include <windows.h>

#include <mutex>

#include "unlha32/UnlhaApi.h"

namespace unlha {

class CallbackRegistry {
  public:
    static CallbackRegistry& Instance();

    bool SetOwner(HWND window);
    bool KillOwner(HWND window);
    HWND Owner() const;
    bool SetEnumProc(UnlhaEnumMembersProc proc);
    void ClearEnumProc();
    UnlhaEnumMembersProc EnumProc() const;
    // The registered message "wm_arcextract".
    static UINT ProgressMessage();

  private:
    mutable std::mutex mutex_;
    HWND owner_ = nullptr;
    UnlhaEnumMembersProc enumProc_ = nullptr;
};

}  // namespace unlha
