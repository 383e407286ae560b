// Tells everybody who listens about the members of one command: the member callback, the
// owner window ("wm_arcextract", wParam 1, one message per member) and the progress dialog.
// Any of them can stop the command; the command then ends with UNLHA_ERR_CANCELLED.
#pragma once

#include <windows.h>

#include <lha/lha.h>

#include <memory>
#include <string>

#include "ProgressDialog.h"
#include "unlha32/UnlhaApi.h"

namespace unlha {

class OperationMonitor {
  public:
    OperationMonitor(HWND window, bool showDialog, const std::string& caption);
    ~OperationMonitor();

    // e describes the member as far as known; destination is the file on disk. Throws
    // UnlhaError(UNLHA_ERR_CANCELLED) when a listener asks to stop.
    void BeginMember(const lha::Entry& e, const std::string& destination, std::uint32_t command);
    // A codec progress callback for the current member; it returns false once cancelled.
    lha::ProgressFn Callback();
    // Throws when the dialog's cancel button was pressed.
    void ThrowIfCancelled();

  private:
    HWND owner_;
    UnlhaEnumMembersProc enumProc_;
    std::unique_ptr<ProgressDialog> dialog_;
};

}  // namespace unlha
