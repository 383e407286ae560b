#include "ArchiveUpdater.h"

#include <lha/lha.h>

#include <optional>
#include <unordered_map>

#include "EntryFilter.h"
#include "FileTimes.h"
#include "OperationMonitor.h"
#include "PackAhead.h"
#include "PackSelection.h"
#include "SjisPath.h"
#include "TempFile.h"
#include "UnlhaError.h"
#include "Win32Handle.h"
#include "Win32FileSink.h"
#include "Win32FileSource.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

namespace {

std::uint64_t FindDataSize(const WIN32_FIND_DATAA& fd) {
    return (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// A file is newer than its entry when its time is later than the entry's by more than the
// entry's resolution (two seconds for DOS times).
bool FileIsNewer(const PackItem& item, const lha::Entry& e) {
    std::uint64_t file = ToUint64(item.data.ftLastWriteTime);
    std::uint64_t stored = EntryWriteTime(e);
    std::uint64_t slack = (e.has_unix_time || e.has_file_times) ? 10000000ull : 20000000ull;
    return file > stored + slack;
}

// Copies from to the (existing, empty) file to and puts the copy on the disk.
void CopyAndFlush(const std::string& from, const std::string& to) {
    if (!::CopyFileA(from.c_str(), to.c_str(), FALSE))
        throw UnlhaError(UNLHA_ERR_WRITE, "作業ファイルを書庫のフォルダへ複写できません: " + to);
    FileHandle copy(::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!copy || !::FlushFileBuffers(copy.get()))
        throw UnlhaError(UNLHA_ERR_WRITE, "作業ファイルを書庫のフォルダへ複写できません: " + to);
}

}  // namespace

// The old archive is only ever replaced by a rename within its own folder, which either happens
// or does not. A work folder (-w) on another volume cannot be renamed across: the new archive is
// first copied beside the old one, and that copy is renamed.
void ArchiveUpdater::ReplaceArchive(TempFile& temp, const std::string& archive) {
    if (temp.MoveTo(archive, true)) return;
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE)
        throw UnlhaError(UNLHA_ERR_WRITE, "書庫を置き換えられません: " + archive);
    TempFile beside(DirectoryPart(archive));
    CopyAndFlush(temp.path(), beside.path());
    if (!beside.MoveTo(archive, true))
        throw UnlhaError(UNLHA_ERR_WRITE, "書庫を置き換えられません: " + archive);
    report_.Line("作業フォルダから書庫のフォルダへ複写して置き換えました。");
}

ArchiveUpdater::ArchiveUpdater(HWND window, const Command& cmd, OutputReport& report, int threads)
    : window_(window),
      cmd_(cmd),
      report_(report),
      threads_(threads > 0 ? threads : PackAhead::DefaultThreads()) {}

ArchiveUpdater::~ArchiveUpdater() = default;

void ArchiveUpdater::Note(int code) {
    if (result_ == 0) result_ = code;
}

bool ArchiveUpdater::PackOne(lha::Writer& writer, const PackItem& item, OperationMonitor& monitor) {
    const WIN32_FIND_DATAA& fd = item.data;
    lha::NewEntry info;
    info.name = item.storedName;
    std::uint64_t write = ToUint64(fd.ftLastWriteTime);
    info.dos_time = FileTimeToDos(write);
    info.unix_time = FileTimeToUnix(write);
    info.attributes =
        static_cast<std::uint16_t>(fd.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                          FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    info.has_file_times = true;
    info.creation_time = ToUint64(fd.ftCreationTime);
    info.write_time = write;
    info.access_time = ToUint64(fd.ftLastAccessTime);

    lha::Entry about;
    about.name = item.storedName;
    about.is_directory = item.isDirectory;
    about.method = item.isDirectory ? "-lhd-" : lha::method_name(cmd_.switches.method);
    about.original_size = item.isDirectory ? 0 : FindDataSize(fd);
    about.has_file_times = true;
    about.write_time = write;
    about.creation_time = info.creation_time;
    about.access_time = info.access_time;
    about.attributes = info.attributes;
    about.header_level = cmd_.switches.headerLevel;

    if (item.isDirectory) {
        monitor.BeginMember(about, item.diskPath, UNLHA_MEMBER_PACK);
        writer.add_directory(info);
        ++packed_;
        report_.Line("  " + item.storedName + "\\");
        return true;
    }
    if (std::unique_ptr<lha::PackedData> ahead = ahead_ ? ahead_->Take(item) : nullptr) {
        about.original_size = ahead->original_size;
        monitor.BeginMember(about, item.diskPath, UNLHA_MEMBER_PACK);
        lha::Entry written = writer.add_packed(info, *ahead, monitor.Callback());
        ++packed_;
        ++packedAhead_;
        report_.Line("  " + item.storedName + "  " + std::to_string(written.original_size) + " -> " +
                     std::to_string(written.packed_size) + "  " + written.method);
        return true;
    }
    // A file that cannot be opened is left out; the others still go in.
    std::optional<Win32FileSource> source;
    try {
        source.emplace(item.diskPath);
    } catch (const UnlhaError& e) {
        report_.Line(e.what());
        Note(UNLHA_ERR_READ);
        return false;
    }
    about.original_size = source->size();
    monitor.BeginMember(about, item.diskPath, UNLHA_MEMBER_PACK);
    lha::Entry written = writer.add_file(info, *source, cmd_.switches.method, monitor.Callback());
    ++packed_;
    report_.Line("  " + item.storedName + "  " + std::to_string(written.original_size) + " -> " +
                 std::to_string(written.packed_size) + "  " + written.method);
    return true;
}

// The files in the order the loop below packs them: those that replace an entry at its place in
// the old archive, then (except for f) the new ones. The workers follow this order.
void ArchiveUpdater::StartPackingAhead(const std::vector<PackItem>& items,
                                       const std::unordered_map<std::string, std::size_t>& byName,
                                       lha::Reader* reader) {
    const bool freshening = cmd_.word == "f";
    std::vector<bool> planned(items.size(), false);
    std::vector<const PackItem*> order;
    auto plan = [&](std::size_t i) {
        if (!items[i].isDirectory) order.push_back(&items[i]);
    };
    if (reader) {
        for (const lha::Entry& e : reader->list()) {
            auto it = byName.find(FoldName(e.name));
            if (it == byName.end() || planned[it->second]) continue;
            planned[it->second] = true;
            if (!freshening || FileIsNewer(items[it->second], e)) plan(it->second);
        }
        reader->rewind();
    }
    if (!freshening)
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!planned[i]) plan(i);
    if (order.size() >= 2)
        ahead_ = std::make_unique<PackAhead>(std::move(order), cmd_.switches.method, threads_);
}

int ArchiveUpdater::Run() {
    const std::string& word = cmd_.word;
    const bool deleting = word == "d", freshening = word == "f";
    std::string archive = FullPath(cmd_.archive);
    DWORD attrs = ::GetFileAttributesA(archive.c_str());
    bool exists = attrs != INVALID_FILE_ATTRIBUTES;
    if (exists && (attrs & FILE_ATTRIBUTE_DIRECTORY))
        throw UnlhaError(UNLHA_ERR_WRITE, "書庫の名前がフォルダを指しています: " + archive);
    if (!exists && (deleting || freshening))
        throw UnlhaError(UNLHA_ERR_FILE_NOT_FOUND, "書庫が見つかりません: " + archive);
    if (exists && (attrs & FILE_ATTRIBUTE_READONLY))
        throw UnlhaError(UNLHA_ERR_WRITE, "書庫が読み取り専用です: " + archive);
    if (deleting && cmd_.names.empty())
        throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "削除するファイルが指定されていません。");

    std::string base = FolderOrCurrent(cmd_.directory);
    std::vector<PackItem> items;
    if (!deleting) {
        PackSelection selection(cmd_, base, archive);
        for (const std::string& m : selection.Missing()) {
            report_.Line("ファイルが見つかりません: " + m);
            Note(UNLHA_ERR_FILE_NOT_FOUND);
        }
        items = selection.Items();
        if (items.empty()) {
            Note(UNLHA_ERR_NO_MATCH);
            report_.Line("格納するファイルがありません。");
            return result_;
        }
    }
    // The workers stop when the command ends, whichever way it ends.
    struct StopPackingAhead {
        std::unique_ptr<PackAhead>& ahead;
        ~StopPackingAhead() { ahead.reset(); }
    } stopPackingAhead{ahead_};
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < items.size(); ++i) byName.emplace(FoldName(items[i].storedName), i);
    std::vector<bool> done(items.size(), false), replaced(items.size(), false);

    OperationMonitor monitor(window_, cmd_.switches.showDialog,
                             deleting ? "書庫から削除しています" : "書庫を作成しています");
    std::string tempFolder =
        cmd_.switches.workDir.empty() ? DirectoryPart(archive) : AddBackslash(cmd_.switches.workDir);
    TempFile temp(tempFolder);
    unsigned kept = 0, deleted = 0;
    {
        Win32FileSink sink(temp.path());
        std::optional<Win32FileSource> oldSource;
        std::optional<lha::Reader> reader;
        if (exists) {
            oldSource.emplace(archive);
            // An empty file is taken as an archive without entries.
            if (oldSource->size() > 0) {
                if (!lha::looks_like_archive(*oldSource))
                    throw UnlhaError(UNLHA_ERR_NOT_ARCHIVE, "LHA 書庫ではありません: " + archive);
                oldSource->seek(0);
                reader.emplace(*oldSource);
            }
        }
        EntryFilter toDelete(cmd_.names, cmd_.switches.excludes);
        if (!deleting && threads_ > 1 && cmd_.switches.method != lha::Method::Lh0)
            StartPackingAhead(items, byName, reader ? &*reader : nullptr);
        lha::WriterOptions wopts;
        wopts.header_level = cmd_.switches.headerLevel;
        // A large file is packed on every core, beside the workers too: they only run ahead by
        // kBudget, so while the writer packs it they soon wait.
        wopts.threads = threads_;
        lha::Writer writer(sink, wopts);
        lha::Entry e;
        while (reader && reader->next(e)) {
            if (deleting) {
                if (toDelete.Selected(e.name)) {
                    ++deleted;
                    report_.Line("  削除: " + e.name);
                    continue;
                }
            } else if (auto it = byName.find(FoldName(e.name)); it != byName.end()) {
                std::size_t i = it->second;
                if (replaced[i]) continue;  // a second entry of that name: the file replaced it too
                if (!done[i]) {
                    done[i] = true;
                    if ((!freshening || FileIsNewer(items[i], e)) && PackOne(writer, items[i], monitor)) {
                        replaced[i] = true;
                        continue;
                    }
                }
            }
            writer.add_raw(*reader, e);
            ++kept;
        }
        if (!freshening)
            for (std::size_t i = 0; i < items.size(); ++i)
                if (!done[i]) PackOne(writer, items[i], monitor);
        monitor.ThrowIfCancelled();
        if (packed_ == 0 && deleted == 0) {
            if (deleting) Note(UNLHA_ERR_NO_MATCH);
            report_.Line("書庫は変更されませんでした。");
            return result_;
        }
        writer.finish();
        sink.flush();
        sink.close();
    }
    if (deleting && kept == 0) {
        // Nothing left: an LHA archive without entries is of no use to anybody.
        if (!::DeleteFileA(archive.c_str()))
            throw UnlhaError(UNLHA_ERR_WRITE, "書庫を削除できません: " + archive);
        report_.Line("すべてのファイルを削除したので書庫を削除しました。");
        return result_;
    }
    ReplaceArchive(temp, archive);
    if (deleting)
        report_.Line(std::to_string(deleted) + " 個のファイルを削除しました。");
    else
        report_.Line(std::to_string(packed_) + " 個のファイルを格納しました。");
    return result_;
}

}  // namespace unlha
