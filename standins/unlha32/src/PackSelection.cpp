#include "PackSelection.h"

#include "SjisPath.h"
#include "Win32Handle.h"

namespace unlha {

namespace {

bool IsDots(const char* n) {
    return (n[0] == '.' && n[1] == 0) || (n[0] == '.' && n[1] == '.' && n[2] == 0);
}

}  // namespace

bool MatchesExclusion(const std::vector<std::string>& patterns, const std::string& stored) {
    for (const std::string& p : patterns) {
        if (WildcardMatch(p, stored)) return true;
        if (FileNamePosition(p) == 0 && WildcardMatch(p, LastComponent(stored))) return true;
    }
    return false;
}

PackSelection::PackSelection(const Command& cmd, const std::string& baseDir, const std::string& archivePath)
    : cmd_(cmd), base_(AddBackslash(baseDir)), archiveKey_(FoldName(archivePath)) {
    if (cmd.names.empty()) {
        Walk("", "*", cmd.switches.recurse >= 1 ? 1 : 0, false);
        return;
    }
    for (const std::string& n : cmd.names) AddName(ToBackslashes(n));
}

std::string PackSelection::StoredName(const std::string& relative) const {
    // The name keeps its folders (-x1) without drive, root, "." or ".." parts.
    std::string clean;
    for (const std::string& c : SplitComponents(relative)) {
        if (c == "." || c == "..") continue;
        if (clean.empty() && c.size() == 2 && c[1] == ':') continue;
        if (!clean.empty()) clean += '\\';
        clean += c;
    }
    if (!cmd_.switches.keepPaths) return LastComponent(clean);
    return clean;
}

bool PackSelection::Excluded(const std::string& stored) const {
    return MatchesExclusion(cmd_.switches.excludes, stored);
}

void PackSelection::Add(const std::string& relative, const std::string& diskPath,
                        const WIN32_FIND_DATAA& fd) {
    if (FoldName(FullPath(diskPath)) == archiveKey_) return;
    std::string stored = StoredName(relative);
    if (stored.empty() || Excluded(stored)) return;
    std::string key = FoldName(stored);
    if (!keys_.insert(std::move(key)).second) return;
    PackItem item;
    item.storedName = stored;
    item.diskPath = diskPath;
    item.isDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.data = fd;
    items_.push_back(std::move(item));
}

void PackSelection::AddName(const std::string& name) {
    if (HasWildcard(LastComponent(name))) {
        std::size_t before = items_.size();
        Walk(DirectoryPart(name), LastComponent(name), cmd_.switches.recurse >= 1 ? 1 : 0, false);
        if (items_.size() == before) missing_.push_back(name);
        return;
    }
    std::string plain = name;
    while (EndsWithBackslash(plain) && plain.size() > 1) plain.pop_back();
    std::string disk = IsAbsolutePath(plain) ? plain : base_ + plain;
    WIN32_FIND_DATAA fd{};
    // A named file needs only what a directory search would report of it; asking for its
    // attributes opens no search handle (the programs name every file of a backup).
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (::GetFileAttributesExA(disk.c_str(), GetFileExInfoStandard, &a) &&
        !(a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fd.dwFileAttributes = a.dwFileAttributes;
        fd.ftCreationTime = a.ftCreationTime;
        fd.ftLastAccessTime = a.ftLastAccessTime;
        fd.ftLastWriteTime = a.ftLastWriteTime;
        fd.nFileSizeHigh = a.nFileSizeHigh;
        fd.nFileSizeLow = a.nFileSizeLow;
        Add(plain, disk, fd);
        return;
    }
    FindHandle h(::FindFirstFileA(disk.c_str(), &fd));
    if (!h) {
        missing_.push_back(name);
        return;
    }
    Add(plain, disk, fd);
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && cmd_.switches.recurse >= 2)
        Walk(AddBackslash(plain), "*", 1, true);
}

// depthRule 1: descend into every subfolder (not into reparse points, which may loop).
void PackSelection::Walk(const std::string& dirRel, const std::string& mask, int depthRule, bool addDirs) {
    std::string dirDisk = IsAbsolutePath(dirRel) ? dirRel : base_ + dirRel;
    const DWORD hiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    WIN32_FIND_DATAA fd;
    {
        FindHandle h(::FindFirstFileA((dirDisk + mask).c_str(), &fd));
        if (h) {
            do {
                if (IsDots(fd.cFileName)) continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                if ((fd.dwFileAttributes & hiddenOrSystem) && cmd_.switches.attributes < 1) continue;
                Add(dirRel + fd.cFileName, dirDisk + fd.cFileName, fd);
            } while (::FindNextFileA(h.get(), &fd));
        }
    }
    if (depthRule < 1) return;
    FindHandle h(::FindFirstFileA((dirDisk + "*").c_str(), &fd));
    if (!h) return;
    std::vector<std::pair<std::string, WIN32_FIND_DATAA>> subdirs;
    do {
        if (IsDots(fd.cFileName) || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if ((fd.dwFileAttributes & hiddenOrSystem) && cmd_.switches.attributes < 1) continue;
        subdirs.emplace_back(fd.cFileName, fd);
    } while (::FindNextFileA(h.get(), &fd));
    h.reset();
    for (const auto& [name, data] : subdirs) {
        std::string rel = dirRel + name;
        if (addDirs) Add(rel, dirDisk + name, data);
        Walk(AddBackslash(rel), mask, depthRule, addDirs);
    }
}

}  // namespace unlha
