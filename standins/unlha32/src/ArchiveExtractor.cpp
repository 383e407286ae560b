#include "ArchiveExtractor.h"

#include <lha/lha.h>

#include <optional>
#include <vector>

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

lha::ReaderOptions ReaderOptionsFor(const std::string& archive) {
    lha::ReaderOptions o;
    // Self-extractors carry their archive after a program; other files must begin with it.
    std::string ext = FoldName(archive.substr(archive.size() >= 4 ? archive.size() - 4 : 0));
    if (ext == ".exe") o.search_limit = 1024 * 1024;
    return o;
}

// Opens the archive and checks that it is one.
Win32FileSource OpenArchiveFile(const std::string& archive) {
    Win32FileSource src(archive);
    if (!lha::looks_like_archive(src, ReaderOptionsFor(archive).search_limit))
        throw UnlhaError(UNLHA_ERR_NOT_ARCHIVE, "LHA 書庫ではありません: " + archive);
    src.seek(0);
    return src;
}

struct PendingFile {
    TempFile temp;
    std::string target;
    DWORD attributes;
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
            dirs.Ensure(target);
            continue;
        }
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
    // Everything decoded and checked: now the files take their places.
    for (PendingFile& p : pending) {
        p.temp.Commit(p.target);
        ::SetFileAttributesA(p.target.c_str(), p.attributes);
    }
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
