#include "ArchiveRestore.h"

#include <cstring>
#include <set>
#include <stdexcept>

#include "Archives.h"
#include "CollectFiles.h"
#include "FileSystem.h"
#include "FolderEmptying.h"
#include "TextRoutines.h"

namespace ostra {

namespace {

// The libraries' result for an operation the user cancelled (from their progress dialog).
constexpr int kCancelledByUser = 0x8020;
// At most this many refused names are listed in the box; the rest are counted.
constexpr size_t kNamesShown = 10;

// A name as the folder holds it: backslashes, letters folded.
std::string NameKey(std::string name) {
    for (char& c : name)
        if (c == '/') c = '\\';
    return AnsiLowerCase(name);
}

// The names of the archive's entries as the library lists them; empty when it cannot open it.
TStrings ArchiveEntryNames(const std::string& archivePath) {
    TStrings names;
    arc::TArchiveFile archive;
    archive.SetFileName(archivePath);
    archive.OpenArchive(nullptr, 0);
    arc::TEntryRecord entry{};
    for (int found = archive.FindFirst("*.*", entry); found == 0; found = archive.FindNext(entry))
        names.emplace_back(entry.FileName, strnlen(entry.FileName, sizeof entry.FileName));
    archive.CloseArchive();
    return names;
}

// A folder entry ends in a separator.
bool IsFolderEntry(const std::string& name) {
    return name.empty() || name.back() == '\\' || name.back() == '/';
}

}  // namespace

std::string RestoreFolderFor(const std::string& archivePath, const std::string& parent) {
    std::string name = ExtractFileName(archivePath);
    const size_t dot = LastDelimiter(name, ".");
    if (dot != std::string::npos) name.resize(dot);
    return AddBackslash(parent) + name;
}

TRestoreResult RestoreArchive(HWND owner, const std::string& archivePath, const std::string& parent,
                              const TRestoreProgressEvent& progress) {
    if (!FileExists(archivePath)) throw std::runtime_error("書庫\"" + archivePath + "\"が存在しません");
    TRestoreResult restored;
    restored.Folder = RestoreFolderFor(archivePath, parent);
    const std::string& target = restored.Folder;
    // The format and its library first: a missing library must leave nothing behind.
    arc::TArchiveFile archive;
    archive.SetFileName(archivePath);
    archive.CheckArchiver();
    arc::TArchiverOptions& o = archive.Options();
    o.x = 1;  // with the stored folders
    o.n = 1;  // the progress is the caller's (the library reports each entry)
    o.jse = 1;
    o.jso = 1;
    const TStrings entries = ArchiveEntryNames(archivePath);
    const int total = static_cast<int>(entries.size());
    int done = 0;
    bool cancel = false;
    if (progress)
        archive.OnProgress = [&](arc::TArchiveFile&, int state, arc::TProgressRecord* record, bool& abort) {
            if (state != 1 || !record) return;
            progress(++done, total,
                     std::string(record->SourceFileName,
                                 strnlen(record->SourceFileName, sizeof record->SourceFileName)),
                     cancel);
            abort = cancel;
        };
    // Made here and now, or refused: an existing folder is never written into.
    if (!::CreateDirectoryA(target.c_str(), nullptr)) {
        if (::GetLastError() == ERROR_ALREADY_EXISTS)
            throw std::runtime_error("展開先のフォルダ\"" + target + "\"がすでに存在します");
        throw std::runtime_error("展開先のフォルダ\"" + target + "\"を作成できません");
    }
    int result = 0;
    try {
        if (progress) progress(0, total, std::string(), cancel);
        if (cancel)
            result = kCancelledByUser;
        else
            result = archive.Extract(owner, nullptr, AddBackslash(target), arc::TFileList{});
    } catch (...) {
        RemoveFolderTree(target);  // ours, made above: what was begun in it goes too
        throw;
    }
    if (result == 0) return restored;
    if (cancel || result == kCancelledByUser) {
        RemoveFolderTree(target);
        restored.Outcome = TRestoreResult::rsCancelled;
        return restored;
    }
    // Refused entries: which files did come out? Everything in the folder is new.
    TStrings files;
    CollectFiles(target, "*", files, true, false);
    std::set<std::string> placed;
    const std::string root = AddBackslash(target);
    for (const std::string& f : files) placed.insert(NameKey(f.substr(root.size())));
    if (placed.empty()) {
        RemoveFolderTree(target);
        throw std::runtime_error("書庫\"" + archivePath + "\"を展開できませんでした（エラー " +
                                 std::to_string(result) + "）");
    }
    restored.Outcome = TRestoreResult::rsPartial;
    restored.Written = placed.size();
    for (const std::string& name : entries)
        if (!IsFolderEntry(name) && !placed.count(NameKey(name))) restored.NotWritten.push_back(name);
    return restored;
}

std::string PartialRestoreMessage(const std::string& archivePath, const TRestoreResult& r) {
    std::string text = "書庫\"" + archivePath +
                       "\"の一部を展開できませんでした\r\n展開できなかったファイル（" +
                       std::to_string(r.NotWritten.size()) + " 個）:";
    for (size_t i = 0; i < r.NotWritten.size() && i < kNamesShown; ++i) text += "\r\n  " + r.NotWritten[i];
    if (r.NotWritten.size() > kNamesShown)
        text += "\r\n  ほか " + std::to_string(r.NotWritten.size() - kNamesShown) + " 個";
    return text + "\r\n\r\n\"" + r.Folder + "\"に " + std::to_string(r.Written) +
           " 個のファイルを展開しました";
}

}  // namespace ostra
