#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <set>

#include "ArchiveStep.h"
#include "Archives.h"
#include "LHA32.h"
#include "BackupCopy.h"
#include "CollectFiles.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "WideText.h"
#include "WinHandles.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

std::string NormalisedEntryName(const char* name, size_t max) {
    std::string n(name, strnlen(name, max));
    for (size_t i = 0; i < n.size(); i = NextChar(n, i))
        if (n[i] == '/') n[i] = '\\';
    return AnsiLowerCase(n);
}

// True when the archive lists every one of the names (letter case ignored).
bool ArchiveHoldsAll(const std::string& path, const TStrings& names) {
    arc::TArchiveFile listing;
    listing.SetFileName(path);
    if (listing.OpenArchive(nullptr, 0) != 0) return false;
    std::set<std::string> found;
    arc::TEntryRecord entry{};
    for (int r = listing.FindFirst("*.*", entry); r == 0; r = listing.FindNext(entry))
        found.insert(NormalisedEntryName(entry.FileName, sizeof entry.FileName));
    listing.CloseArchive();
    return std::all_of(names.begin(), names.end(), [&](const std::string& n) {
        return found.count(NormalisedEntryName(n.c_str(), n.size())) > 0;
    });
}

// The names below base (with a backslash) the library can be given, relative to base. The rest is
// reported, except cut copies of an ended run, which are removed: never packed as files.
void GatherPackable(const std::string& base, TStrings& files, TArchiveResult& result, TLog& log) {
    TFolderWalk walk;
    WalkFolder(base, "*.*", true, false, {}, walk);
    for (const TFailedItem& f : walk.Unlisted) {
        log.Add(FailureLogLine(RemoveBackslash(f.Item), f.Reason, f.Error, kLogNotPacked));
        result.LeftOut.push_back(f);
    }
    const std::wstring suffix = kCopyTempSuffix;
    for (const TFoundFile& f : walk.Files) {
        const std::wstring& rel = f.Relative;
        if (rel.size() > suffix.size() &&
            rel.compare(rel.size() - suffix.size(), suffix.size(), suffix) == 0) {
            const std::wstring path = LongPathForm(walk.Root + rel);
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (::DeleteFileW(path.c_str())) ++result.CutCopiesRemoved;
            continue;
        }
        TFailReason reason = TFailReason::frOther;
        std::string name = ReadableAnsi(rel);
        if (f.Trouble == TNameTrouble::ntNoAnsiForm)
            reason = TFailReason::frNoAnsiName;
        else if (f.Trouble == TNameTrouble::ntTrailingDotOrBlank)
            reason = TFailReason::frTrailingDotOrBlank;
        else if (base.size() + name.size() >= MAX_PATH)  // the library's calls take MAX_PATH with the NUL
            reason = TFailReason::frPathTooLong;
        else {
            files.push_back(std::move(name));
            continue;
        }
        log.Add(FailureLogLine(name, reason, 0, kLogNotPacked));
        result.LeftOut.push_back({base + name, reason, 0});
    }
}

}  // namespace

bool IsPackLeftoverName(const std::string& name) {
    const std::string n = AnsiLowerCase(name);
    if (n.size() < 8 || n.size() > 11 || n.compare(0, 3, "ulh") != 0 ||
        n.compare(n.size() - 4, 4, ".tmp") != 0)
        return false;
    return std::all_of(n.begin() + 3, n.end() - 4,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

size_t RemovePackLeftovers(const std::string& folder, TLog log) {
    size_t removed = 0;
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((AddBackslash(folder) + "ulh*.tmp").c_str(), &fd));
    if (!find) return 0;
    do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsPackLeftoverName(fd.cFileName)) continue;
        const std::string path = AddBackslash(folder) + fd.cFileName;
        // Opened by nobody else (no sharing allowed), and removed when this handle closes: a pack
        // under way elsewhere keeps its file.
        FileHandle h(::CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE,
                                   nullptr));
        if (!h) continue;
        h.reset();
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        ++removed;
        log.Add(std::string("  ") + fd.cFileName + kLogLeftoverRemoved);
    } while (::FindNextFileA(find.get(), &fd));
    return removed;
}

TArchiveResult MakeArchive(const std::string& baseFolder, const std::string& archiveFolder, int method,
                           bool longNaming, bool progressDialog, TLog log, const TLocalClock& clock) {
    TArchiveResult result;
    if (!DirectoryExists(baseFolder) || !DirectoryExists(archiveFolder)) return result;
    const std::string base = AddBackslash(baseFolder);
    const std::string arcDir = AddBackslash(archiveFolder);
    log.Add("アーカイブファイルの作成開始...");

    SYSTEMTIME now;
    if (clock)
        now = clock();
    else
        ::GetLocalTime(&now);
    const std::string name = ArchiveName(now, longNaming);
    result.ArchivePath = arcDir + name;

    result.PackLeftoversRemoved = RemovePackLeftovers(arcDir, log);

    TStrings files;
    GatherPackable(base, files, result, log);
    result.Outcome = TArchiveResult::arNothingToPack;
    if (files.empty()) return result;
    result.PackedFiles = files.size();

    int packResult;
    {
        arc::TArchiveFile archive;
        archive.SetFileName(result.ArchivePath);
        arc::TArchiverOptions& o = archive.Options();
        o.jm = method == 1 ? 3 : method == 2 ? 4 : 2;
        o.a = 1;
        o.x = 1;
        o.jso = 1;
        o.n = progressDialog ? 0 : 1;
        // A drive root keeps its backslash; any other base folder is handed over without it.
        const std::string packBase = base.size() == 3 && base[1] == ':' ? base : RemoveBackslash(base);
        packResult = archive.Pack(nullptr, nullptr, packBase, arc::TFileList{files});
    }
    const bool created =
        packResult == 0 && FileExists(result.ArchivePath) && ArchiveHoldsAll(result.ArchivePath, files);
    result.Outcome = created ? TArchiveResult::arCreated : TArchiveResult::arFailed;
    log.Add(created ? "  --> " + name + " を作成しました。" : std::string("  --> 圧縮処理を中止しました。"));
    return result;
}

bool ArchiveReadsBack(const std::string& archivePath) {
    arc::TArchiveFile archive;
    archive.SetFileName(archivePath);
    return archive.CheckArchive(arc::kLhaFullCheck);
}

}  // namespace ostra
