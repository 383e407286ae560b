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

// A folder entry ends in a separator (a trail byte 0x5C, as in "ソ", is none).
bool IsFolderEntry(const std::string& name) {
    return name.empty() || EndsWithBackslash(name) || name.back() == '/';
}

// A name the library can be given as itself: one with a quote would end its item on the command
// line, one with a wildcard would select other entries too. Such a name is no file name Windows
// can hold either, so it is never written; the restore reports it as not written.
bool CanBeNamed(const std::string& name) {
    for (size_t i = 0; i < name.size(); i = NextChar(name, i)) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(name, i)) continue;
        if (c < 0x20 || std::strchr("\"*?<>|", c)) return false;
    }
    return true;
}

}  // namespace

TStrings ChosenEntries(const TStrings& entries, const TStrings& chosen, const std::string& streamSeparator) {
    std::set<std::string> exact;
    TStrings prefixes;  // folders: everything beneath; files: their streams
    for (const std::string& c : chosen) {
        const std::string key = NameKey(c);
        exact.insert(key);
        if (IsFolderEntry(c))
            prefixes.push_back(AddBackslash(key));
        else if (!streamSeparator.empty())
            prefixes.push_back(key + AnsiLowerCase(streamSeparator));
    }
    TStrings meant;
    for (const std::string& e : entries) {
        const std::string key = NameKey(e);
        bool hit = exact.count(key) != 0;
        for (size_t i = 0; !hit && i < prefixes.size(); ++i)
            hit = key.compare(0, prefixes[i].size(), prefixes[i]) == 0;
        if (hit) meant.push_back(e);
    }
    return meant;
}

std::string RestoreFolderFor(const std::string& archivePath, const std::string& parent) {
    std::string name = ExtractFileName(archivePath);
    const size_t dot = LastDelimiter(name, ".");
    if (dot != std::string::npos) name.resize(dot);
    return AddBackslash(parent) + name;
}

TRestoreResult RestoreArchive(HWND owner, const std::string& archivePath, const std::string& parent,
                              const TRestoreProgressEvent& progress, const std::optional<TStrings>& chosen) {
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
    TStrings entries = ArchiveEntryNames(archivePath);
    // Chosen entries are named to the library, which then reads and writes those alone. An empty
    // list names every entry: a choice that comes to nothing must never get here.
    arc::TFileList names;
    bool someNotNamed = false;
    if (chosen) {
        if (chosen->empty()) throw std::runtime_error("展開するファイルが選択されていません");
        entries = ChosenEntries(entries, *chosen, o.StreamSeparator);
        if (entries.empty())
            throw std::runtime_error("選択したファイルは書庫\"" + archivePath + "\"にありません");
        TStrings given;
        for (const std::string& e : entries)
            if (CanBeNamed(e)) given.push_back(e);
        if (given.empty())
            throw std::runtime_error("選択したファイルは名前に使えない文字を含むため、書庫\"" + archivePath +
                                     "\"から展開できません");
        someNotNamed = given.size() < entries.size();
        names = arc::TFileList{given};
    }
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
            result = archive.Extract(owner, nullptr, AddBackslash(target), names);
    } catch (...) {
        RemoveFolderTree(target);  // ours, made above: what was begun in it goes too
        throw;
    }
    if (result == 0 && !someNotNamed) return restored;
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
        throw std::runtime_error("書庫\"" + archivePath + "\"を展開できませんでした" +
                                 (result ? "（エラー " + std::to_string(result) + "）" : std::string()));
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
