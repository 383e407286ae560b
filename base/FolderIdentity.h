// Which folder a path names, whatever its spelling: a second drive letter for the same place
// (subst, a drive mapped to a local share, a second dosdevices entry under Wine), a link on the
// way, short and long names. Text alone cannot tell; the opened folder can.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace ostra {

struct TFileIdentity {
    uint32_t Volume = 0;  // volume serial number
    uint64_t Index = 0;   // file index on that volume (0: the file system gives none)
    std::wstring Final;   // final path of the opened file as the system resolves it, in lower case
    bool Known = false;   // false when the path could not be opened
};

// The identity of the file or folder at path (an ANSI path, "/" taken as "\"); Known is false when
// it cannot be opened. Opening follows links, so a link and its target have one identity.
TFileIdentity IdentityOf(const std::string& path);
// The same for a full wide path, taken exactly as it stands (any length, any name).
TFileIdentity IdentityOf(const std::wstring& fullPath);

// True when both are known and name one file: the same volume and index (where the file system
// gives an index), or the same final path.
bool SameFile(const TFileIdentity& a, const TFileIdentity& b);

// True when path is folder itself or lies below it. The text rule comes first (letter case
// ignored, full and long forms compared); when it says no, every existing folder on path's way up
// is opened and compared with folder by identity. A path below a link to the folder, or written
// with another drive letter for the same place, is inside.
bool IsSameOrInsideFolder(const std::string& path, const std::string& folder);

// The same test for many paths against one folder: the folder is opened once, and the answers for
// the folders on the way up are kept.
class TInsideTest {
  public:
    explicit TInsideTest(const std::string& folder);
    // True when path is the folder itself or lies below it.
    bool Holds(const std::string& path);

  private:
    std::string Key_;
    TFileIdentity Identity_;
    std::unordered_map<std::string, bool> Seen_;  // a folder's key: it or one above it is the folder
};

}  // namespace ostra
