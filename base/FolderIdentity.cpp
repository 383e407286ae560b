#include "FolderIdentity.h"

#include <windows.h>

#include <vector>

#include "FileSystem.h"
#include "TextRoutines.h"
#include "WideText.h"
#include "WinHandles.h"

namespace ostra {

namespace {

// Lower case, for final paths compared without regard to letter case.
std::wstring Folded(std::wstring s) {
    if (!s.empty()) ::CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// "C:", "C:\", "\\server\share" and "\\server\share\".
bool IsRootPath(const std::string& path) {
    const std::string p = RemoveBackslash(path);
    if (p.size() == 2 && p[1] == ':') return true;
    if (p.size() > 2 && p[0] == '\\' && p[1] == '\\') {
        // A trail byte 0x5C of a double-byte character in a server name is no backslash.
        const std::string rest = p.substr(2);
        const size_t server = AnsiPos(rest, "\\");
        return server == std::string::npos || AnsiPos(rest.substr(server + 1), "\\") == std::string::npos;
    }
    return false;
}

// The parent of a full path without its trailing backslash ("C:\a\b" -> "C:\a", "C:\a" -> "C:\");
// empty at a drive or share root.
std::string ParentOf(const std::string& path) {
    if (IsRootPath(path)) return std::string();
    const std::string parent = ExtractFilePath(RemoveBackslash(path));
    if (parent.empty() || parent.size() >= path.size()) return std::string();
    return IsRootPath(parent) ? parent : RemoveBackslash(parent);
}

}  // namespace

TFileIdentity IdentityOf(const std::string& path) {
    if (path.empty()) return TFileIdentity{};
    return IdentityOf(FullWidePath(path));
}

TFileIdentity IdentityOf(const std::wstring& fullPath) {
    TFileIdentity id;
    if (fullPath.empty()) return id;
    // No access asked for: attributes are enough, and a folder in use by anybody still opens.
    FileHandle h(::CreateFileW(LongPathForm(fullPath).c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return id;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(h.get(), &info)) {
        id.Volume = info.dwVolumeSerialNumber;
        id.Index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.Known = true;
    }
    // Asked always: a file system may give no file index (some network ones), and Wine gives a
    // volume serial that depends on the drive letter the path came through.
    wchar_t buffer[1024];
    const DWORD n = ::GetFinalPathNameByHandleW(h.get(), buffer, 1024, FILE_NAME_NORMALIZED);
    if (n > 0 && n < 1024) {
        id.Final = Folded(std::wstring(buffer, n));
        id.Known = true;
    }
    return id;
}

bool SameFile(const TFileIdentity& a, const TFileIdentity& b) {
    if (!a.Known || !b.Known) return false;
    if (a.Index != 0 && a.Volume == b.Volume && a.Index == b.Index) return true;
    return !a.Final.empty() && a.Final == b.Final;
}

TInsideTest::TInsideTest(const std::string& folder)
    : Key_(ComparablePath(folder)), Identity_(IdentityOf(folder)) {}

bool TInsideTest::Holds(const std::string& path) {
    if (path.empty() || Key_.empty()) return false;
    const std::string full = FullLongPath(path);
    if (IsInsideFolder(AnsiLowerCase(AddBackslash(full)), Key_)) return true;
    if (!Identity_.Known) return false;
    // Up from the path itself: each existing folder on the way, opened, may be the folder. A
    // folder's answer holds for everything below it, so the keys seen take the answer found.
    std::vector<std::string> seen;
    bool inside = false;
    for (std::string p = RemoveBackslash(full); !p.empty(); p = ParentOf(p)) {
        std::string key = AnsiLowerCase(AddBackslash(p));
        const auto known = Seen_.find(key);
        if (known != Seen_.end()) {
            inside = known->second;
            break;
        }
        seen.push_back(std::move(key));
        if (SameFile(IdentityOf(p), Identity_)) {
            inside = true;
            break;
        }
    }
    for (std::string& key : seen) Seen_.emplace(std::move(key), inside);
    return inside;
}

bool IsSameOrInsideFolder(const std::string& path, const std::string& folder) {
    return TInsideTest(folder).Holds(path);
}

}  // namespace ostra
