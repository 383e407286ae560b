#include "ArchiveExtractor.h"

#include <lha/lha.h>

#include <optional>
#include <unordered_set>
#include <vector>

#include "ArchiveCheck.h"
#include "DirectoryMaker.h"
#include "EntryFilter.h"
#include "FileTimes.h"
#include "OperationMonitor.h"
#include "SafeName.h"
#include "SjisPath.h"
#include "TempFile.h"
#include "UnlhaError.h"
#include "Win32FileSink.h"
#include "Win32FileSource.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

namespace {

// Opens the archive and checks that it is one.
Win32FileSource OpenArchiveFile(const std::string& archive) {
    Win32FileSource src(archive);
    CheckedArchive(src);
    return src;
}

struct PendingFile {
    TempFile temp;
    std::string target;
    DWORD attributes;
};

// Puts the decoded files in their places, all of them or none: a target that exists is first
// renamed aside (beside itself, so the rename cannot fail for want of room), and when a later
// file cannot take its place, every earlier one is taken back and the old files return.
// Until Finish, going out of scope undoes what was placed.
class Placement {
  public:
    // targets: the folded full names of every file to be placed.
    Placement(OutputReport& report, const std::unordered_set<std::string>& targets)
        : report_(report), targets_(targets) {}
    ~Placement() {
        if (!finished_) Undo();
    }
    Placement(const Placement&) = delete;
    Placement& operator=(const Placement&) = delete;

    void Place(PendingFile& p) {
        Placed entry{p.target, std::nullopt, false};
        if (::GetFileAttributesA(p.target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            // The old file must not sit under a name that a later file of the archive takes.
            std::vector<TempFile> unfit;
            entry.backup.emplace(DirectoryPart(p.target));
            while (targets_.count(FoldName(entry.backup->path()))) {
                unfit.push_back(std::move(*entry.backup));
                entry.backup.emplace(DirectoryPart(p.target));
            }
            if (!::MoveFileExA(p.target.c_str(), entry.backup->path().c_str(), MOVEFILE_REPLACE_EXISTING))
                throw UnlhaError(UNLHA_ERR_WRITE, "ファイルを置き換えられません: " + p.target);
        }
        placed_.push_back(std::move(entry));
        p.temp.Commit(p.target);
        placed_.back().newFile = true;
    }
    // The old files are deleted (with their temporary names).
    void Finish() {
        finished_ = true;
        placed_.clear();
    }

  private:
    struct Placed {
        std::string target;
        std::optional<TempFile> backup;  // what the target held before
        bool newFile;
    };

    void Undo() noexcept {
        for (auto it = placed_.rbegin(); it != placed_.rend(); ++it) {
            if (it->newFile) {
                ::SetFileAttributesA(it->target.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(it->target.c_str());
            }
            if (it->backup && !it->backup->MoveTo(it->target)) {
                // Never lose the old file: it stays under its temporary name.
                it->backup->Keep();
                try {
                    report_.Line("元のファイルを戻せません。" + it->backup->path() +
                                 " に残しました: " + it->target);
                } catch (...) {
                }
            }
        }
        placed_.clear();
    }

    OutputReport& report_;
    const std::unordered_set<std::string>& targets_;
    std::vector<Placed> placed_;
    bool finished_ = false;
};

// Folded relative names of the files and folders an extraction makes. A name that is a file in
// one entry and a folder in another cannot be extracted as a whole: the clash is found while
// decoding, before anything is put in place.
class TargetNames {
  public:
    void AddFile(const std::string& rel) {
        std::string key = FoldName(rel);
        if (folders_.count(key)) Clash(rel);
        AddParents(rel, key);
        files_.insert(std::move(key));
    }
    void AddFolder(const std::string& rel) {
        std::string key = FoldName(rel);
        if (files_.count(key)) Clash(rel);
        AddParents(rel, key);
        folders_.insert(std::move(key));
    }

  private:
    void AddParents(const std::string& rel, const std::string& key) {
        // Folded names keep the byte positions of the original, so one split serves both.
        std::size_t cut = FileNamePosition(rel);
        while (cut > 0) {
            std::string parent = key.substr(0, cut - 1);
            if (files_.count(parent)) Clash(rel);
            if (!folders_.insert(parent).second) break;  // its own parents are there already
            cut = FileNamePosition(rel.substr(0, cut - 1));
        }
    }
    [[noreturn]] static void Clash(const std::string& rel) {
        throw UnlhaError(UNLHA_ERR_WRITE,
                         "同じ名前のファイルとフォルダが書庫にあるため展開できません: " + rel);
    }

    std::unordered_set<std::string> files_, folders_;
};

DWORD FileAttributesOf(const lha::Entry& e) {
    DWORD a = e.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE);
    return a ? a : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace

ArchiveExtractor::ArchiveExtractor(HWND window, const Command& cmd, OutputReport& report)
    : window_(window), cmd_(cmd), report_(report) {}

void ArchiveExtractor::Note(int code) {
    if (result_ == 0) result_ = code;
}

int ArchiveExtractor::Run() {
    const bool testing = cmd_.word == "t";
    const bool keepPaths = cmd_.word == "x" && cmd_.switches.keepPaths;
    std::string archive = FullPath(cmd_.archive);
    std::string dest = FolderOrCurrent(cmd_.directory);
    Win32FileSource source = OpenArchiveFile(archive);
    lha::Reader reader(source, ReaderOptionsFor(archive));
    EntryFilter filter(cmd_.names, cmd_.switches.excludes);
    OperationMonitor monitor(window_, cmd_.switches.showDialog,
                             testing ? "書庫を検査しています" : "書庫を展開しています");
    DirectoryMaker dirs;
    TargetNames names;
    std::vector<PendingFile> pending;
    unsigned matched = 0;
    lha::Entry e;
    while (reader.next(e)) {
        if (!filter.Selected(e.name)) continue;
        ++matched;
        std::optional<std::string> rel = SafeRelativeName(e.name);
        if (!rel) {
            report_.Line("展開先の外を指す名前なので展開しません: " + e.name);
            Note(UNLHA_ERR_UNSAFE_NAME);
            continue;
        }
        if (!e.method_supported()) {
            report_.Line("展開できない圧縮法です (" + e.method + "): " + e.name);
            Note(UNLHA_ERR_METHOD);
            continue;
        }
        if (!keepPaths) {
            if (e.is_directory) continue;
            *rel = LastComponent(*rel);
        }
        std::string target = dest + *rel;
        monitor.BeginMember(e, target, UNLHA_MEMBER_EXTRACT);
        if (testing) {
            reader.test(e, monitor.Callback());
            report_.Line("  OK  " + e.name);
            continue;
        }
        if (e.is_directory) {
            names.AddFolder(*rel);
            dirs.Ensure(target);
            continue;
        }
        names.AddFile(*rel);
        DWORD existing = ::GetFileAttributesA(target.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY))
            throw UnlhaError(UNLHA_ERR_WRITE, "同じ名前のフォルダがあるため展開できません: " + target);
        dirs.Ensure(DirectoryPart(target));
        TempFile temp(DirectoryPart(target));
        {
            Win32FileSink sink(temp.path());
            reader.extract(e, sink, monitor.Callback());
            FILETIME c = ToFileTime(EntryCreationTime(e)), a = ToFileTime(EntryAccessTime(e)),
                     w = ToFileTime(EntryWriteTime(e));
            if (EntryWriteTime(e) != 0) sink.setTimes(&c, &a, &w);
            sink.close();
        }
        pending.push_back(PendingFile{std::move(temp), target, FileAttributesOf(e)});
        report_.Line("  " + e.name);
    }
    monitor.ThrowIfCancelled();
    if (matched == 0) {
        report_.Line("該当するファイルがありません。");
        Note(UNLHA_ERR_NO_MATCH);
        return result_;
    }
    // Everything decoded and checked: now the files take their places. A failure undoes the
    // placement first and then (dirs goes after it) the folders made.
    std::unordered_set<std::string> targets;
    for (const PendingFile& p : pending) targets.insert(FoldName(p.target));
    for (const PendingFile& p : pending)
        if (targets.count(FoldName(p.temp.path())))
            throw UnlhaError(UNLHA_ERR_WRITE,
                             "作業ファイルの名前が展開するファイルと重なりました: " + p.temp.path());
    Placement placement(report_, targets);
    for (PendingFile& p : pending) placement.Place(p);
    placement.Finish();
    for (const PendingFile& p : pending) ::SetFileAttributesA(p.target.c_str(), p.attributes);
    dirs.Keep();
    if (testing)
        report_.Line(std::to_string(matched) + " 個のファイルを検査しました。");
    else
        report_.Line(std::to_string(pending.size()) + " 個のファイルを展開しました。");
    return result_;
}

int ArchiveExtractor::ExtractToMemory(LPBYTE buffer, DWORD size, DWORD* time, LPWORD attributes,
                                      LPDWORD written) {
    if (written) *written = 0;
    if (cmd_.names.empty()) throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "展開するファイルが指定されていません。");
    std::string archive = FullPath(cmd_.archive);
    Win32FileSource source = OpenArchiveFile(archive);
    lha::Reader reader(source, ReaderOptionsFor(archive));
    EntryFilter filter({cmd_.names.front()}, cmd_.switches.excludes);
    OperationMonitor monitor(window_, cmd_.switches.showDialog, "書庫を展開しています");
    lha::Entry e;
    while (reader.next(e)) {
        if (!filter.Selected(e.name) || e.is_directory) continue;
        if (!e.method_supported())
            throw UnlhaError(UNLHA_ERR_METHOD, "展開できない圧縮法です (" + e.method + "): " + e.name);
        monitor.BeginMember(e, e.name, UNLHA_MEMBER_EXTRACT);
        lha::FixedBufferSink sink(buffer, buffer ? size : 0);
        reader.extract(e, sink, monitor.Callback());
        if (written) *written = static_cast<DWORD>(sink.stored());
        if (time) *time = static_cast<DWORD>(FileTimeToUnix(EntryWriteTime(e)));
        if (attributes) *attributes = e.attributes;
        if (sink.overflowed()) {
            report_.Line("バッファが足りません: " + e.name + " (" + std::to_string(e.original_size) +
                         " バイト)");
            return UNLHA_ERR_BUFFER_TOO_SMALL;
        }
        report_.Line("  " + e.name);
        return UNLHA_OK;
    }
    throw UnlhaError(UNLHA_ERR_NO_MATCH, "該当するファイルがありません: " + cmd_.names.front());
}

}  // namespace unlha
