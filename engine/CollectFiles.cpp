#include "CollectFiles.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "FileSystem.h"
#include "FolderIdentity.h"
#include "TextRoutines.h"
#include "WideText.h"
#include "WinHandles.h"

namespace ostra {

namespace {

bool IsDotName(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool NoMatch(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}

struct TLeftOut {
    std::string Key;  // its ComparablePath
    TFileIdentity Identity;
};

class TWalker {
  public:
    TWalker(const std::wstring& pattern, bool recurse, bool includeFolders, std::vector<TLeftOut> leftOut,
            bool byIdentity, TFolderWalk& walk)
        : Pattern_(pattern),
          Recurse_(recurse),
          IncludeFolders_(includeFolders),
          LeftOut_(std::move(leftOut)),
          ByIdentity_(byIdentity),
          Walk_(walk) {}

    // relDir: the folder below the root, empty or with a trailing backslash; comparable: its
    // ComparablePath key, kept only while folders are left out.
    void Walk(const std::wstring& relDir, const std::string& comparable) {
        const std::wstring dir = Walk_.Root + relDir;
        WIN32_FIND_DATAW fd;
        if (Recurse_) {
            FindHandle find(::FindFirstFileExW(LongPathForm(dir + L"*").c_str(), FindExInfoBasic, &fd,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
            if (!find) {
                Unlisted(dir, ::GetLastError());
                return;
            }
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotName(fd.cFileName)) continue;
                if (IsLinkToElsewhere(fd)) continue;
                const std::wstring name = fd.cFileName;
                std::string readable;
                const TNameTrouble trouble = NameTrouble(name, readable);
                std::string subComparable;
                if (!LeftOut_.empty()) {
                    subComparable = comparable + AnsiLowerCase(readable) + '\\';
                    if (IsLeftOut(subComparable, dir + name)) continue;
                }
                if (trouble != TNameTrouble::ntNone) {
                    // Nothing below it can reach the ANSI calls of the later steps: the folder is
                    // reported once instead of each file in it.
                    Walk_.Unlisted.push_back({ReadableAnsi(dir + name), Reason(trouble), 0});
                    continue;
                }
                Walk(relDir + name + L'\\', subComparable);
            } while (::FindNextFileW(find.get(), &fd));
        }
        FindHandle find(::FindFirstFileExW(LongPathForm(dir + Pattern_).c_str(), FindExInfoBasic, &fd,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find) {
            if (!Recurse_) Unlisted(dir, ::GetLastError());
            return;
        }
        do {
            if (IsDotName(fd.cFileName)) continue;
            if (!IncludeFolders_ && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            TFoundFile f;
            f.Relative = relDir + fd.cFileName;
            f.Trouble = NameTrouble(fd.cFileName, f.Name);
            f.Info.dwFileAttributes = fd.dwFileAttributes;
            f.Info.ftCreationTime = fd.ftCreationTime;
            f.Info.ftLastAccessTime = fd.ftLastAccessTime;
            f.Info.ftLastWriteTime = fd.ftLastWriteTime;
            f.Info.nFileSizeHigh = fd.nFileSizeHigh;
            f.Info.nFileSizeLow = fd.nFileSizeLow;
            Walk_.Files.push_back(std::move(f));
        } while (::FindNextFileW(find.get(), &fd));
    }

  private:
    static TFailReason Reason(TNameTrouble t) {
        return t == TNameTrouble::ntNoAnsiForm ? TFailReason::frNoAnsiName
                                               : TFailReason::frTrailingDotOrBlank;
    }

    void Unlisted(const std::wstring& dir, DWORD error) {
        if (NoMatch(error)) return;
        Walk_.Unlisted.push_back(
            {ReadableAnsi(dir),
             error == ERROR_ACCESS_DENIED ? TFailReason::frAccessDenied : TFailReason::frCannotList, error});
    }

    bool IsLeftOut(const std::string& comparable, const std::wstring& path) const {
        for (const TLeftOut& l : LeftOut_)
            if (l.Key == comparable) return true;
        if (!ByIdentity_) return false;
        const TFileIdentity id = IdentityOf(path);
        return std::any_of(LeftOut_.begin(), LeftOut_.end(),
                           [&id](const TLeftOut& l) { return SameFile(id, l.Identity); });
    }

    std::wstring Pattern_;
    bool Recurse_, IncludeFolders_;
    std::vector<TLeftOut> LeftOut_;
    bool ByIdentity_;
    TFolderWalk& Walk_;
};

}  // namespace

TNameTrouble NameTrouble(const std::wstring& name, std::string& readable) {
    if (!ExactAnsi(name, readable)) {
        readable = ReadableAnsi(name);
        return TNameTrouble::ntNoAnsiForm;
    }
    if (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        return TNameTrouble::ntTrailingDotOrBlank;
    return TNameTrouble::ntNone;
}

void WalkFolder(const std::string& folder, const std::string& pattern, bool recurse, bool includeFolders,
                const TStrings& leaveOut, TFolderWalk& walk) {
    walk = TFolderWalk{};
    // An empty folder text would gather the current folder of the process.
    if (folder.empty()) return;
    const std::string dir = AddBackslash(WithBackslashes(folder));
    std::wstring root = FullWidePath(dir);
    if (root.empty()) return;
    if (root.back() != L'\\') root += L'\\';
    const DWORD a = ::GetFileAttributesW(LongPathForm(root).c_str());
    if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return;
    walk.Root = root;
    walk.RootMissing = false;
    // An empty pattern would search the folder path itself; one with a delimiter, another folder.
    if (pattern.empty() || LastDelimiter(pattern, "\\/:") != std::string::npos) return;

    std::vector<TLeftOut> leftOut;
    const std::string comparable = ComparablePath(dir);
    bool byIdentity = false;
    std::optional<TInsideTest> inside;
    for (const std::string& f : leaveOut) {
        if (f.empty()) continue;
        TLeftOut l{ComparablePath(f), {}};
        if (l.Key == comparable) return;
        // Only a folder that lies inside the walked one, by any spelling, is looked for by identity
        // on the way: the walk pays for it only in that case.
        if (!inside) inside.emplace(dir);
        if (inside->Holds(f)) {
            l.Identity = IdentityOf(f);
            if (SameFile(l.Identity, IdentityOf(dir))) return;
            byIdentity = byIdentity || l.Identity.Known;
        }
        leftOut.push_back(std::move(l));
    }
    TWalker walker(AnsiToWide(pattern), recurse, includeFolders, std::move(leftOut), byIdentity, walk);
    walker.Walk(std::wstring(), comparable);
}

void CollectFiles(const std::string& folder, const std::string& pattern, TStrings& files, bool recurse,
                  bool includeFolders, const TStrings& leaveOut) {
    TFolderWalk walk;
    WalkFolder(folder, pattern, recurse, includeFolders, leaveOut, walk);
    if (walk.RootMissing) return;
    const std::string dir = AddBackslash(folder);
    for (const TFoundFile& f : walk.Files) files.push_back(dir + ReadableAnsi(f.Relative));
}

}  // namespace ostra
