#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "ArchiveStep.h"
#include "Archives.h"
#include "LHA32.h"
#include "CollectFiles.h"
#include "FileSystem.h"
#include "TextRoutines.h"

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

}  // namespace

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

    TStrings files;
    CollectFiles(base, "*.*", files, true, false);
    for (std::string& f : files) f.erase(0, base.size());
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
