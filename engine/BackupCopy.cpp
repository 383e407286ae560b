#include "BackupCopy.h"

#include <windows.h>

#include "FileStamp.h"
#include "ostra_consts.h"

namespace ostra {

TCopyOutcome BackupOneFile(const std::string& source, const std::string& target, bool timestamp) {
    if (timestamp && !SourceIsNewer(source, target)) return TCopyOutcome::coKept;
    // A copy of a read-only, hidden or system source carries those attributes, and the copy
    // functions refuse to replace such a file: clear them first so the next run can update it.
    // A copy that fails leaves the old one as it was, attributes included.
    const DWORD a = ::GetFileAttributesA(target.c_str());
    const bool cleared = a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) &&
                         (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
                         ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (::CopyFileA(source.c_str(), target.c_str(), FALSE)) return TCopyOutcome::coCopied;
    if (cleared) ::SetFileAttributesA(target.c_str(), a);
    return TCopyOutcome::coFailed;
}

std::string CopyLogLine(const std::string& name, TCopyOutcome outcome) {
    const char* what = outcome == TCopyOutcome::coCopied ? kLogBackedUp
                       : outcome == TCopyOutcome::coKept ? kLogKept
                                                         : kLogCopyFailed;
    return "  " + name + what;
}

}  // namespace ostra
