#include "BackupCopy.h"

#include "FileStamp.h"
#include "WideText.h"
#include "WinHandles.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

constexpr DWORD kKeepsOut = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
// Attributes a new file can be given when it is made; read-only comes last, once it is complete.
constexpr DWORD kMadeWith = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr size_t kBufferSize = 256 * 1024;

uint64_t SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& d) {
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool Query(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& d) {
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d) != 0;
}

bool IsNotFound(DWORD e) {
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
}

// Removes a file, read-only or not.
void RemoveFile(const std::wstring& path) {
    if (::DeleteFileW(path.c_str())) return;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

TCopyResult Failed(DWORD error) {
    return {TCopyOutcome::coFailed, FailReasonOf(error), error};
}

// While marked, the system removes the file when its last handle closes, whichever way: an error,
// or the end of the process.
bool MarkForDeletion(HANDLE h, bool mark) {
    FILE_DISPOSITION_INFO d{static_cast<BOOLEAN>(mark)};
    return ::SetFileInformationByHandle(h, FileDispositionInfo, &d, sizeof d) != 0;
}

// Renames the open file over target.
bool RenameOver(HANDLE h, const std::wstring& target) {
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    target.copy(info->FileName, target.size());
    return ::SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
}

// Windows refuses to replace a read-only file (and the copy of a read-only source is one): its
// attributes are cleared for the rename, and put back when the rename fails all the same.
template <typename TRename>
bool Replace(const std::wstring& target, DWORD& error, TRename rename) {
    if (rename()) return true;
    error = ::GetLastError();
    const DWORD a = ::GetFileAttributesW(target.c_str());
    if (error != ERROR_ACCESS_DENIED || a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY) ||
        !(a & kKeepsOut) || !::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL))
        return false;
    if (rename()) return true;
    error = ::GetLastError();
    ::SetFileAttributesW(target.c_str(), a);
    return false;
}

// Makes path for the copy. A part left under the temporary name by a run ended half-way may
// carry its source's attributes and refuse to be replaced: it goes first, then it is tried again.
HANDLE MakeFile(const std::wstring& path, DWORD disposition, DWORD attributes) {
    const DWORD access = GENERIC_WRITE | DELETE;
    HANDLE h = ::CreateFileW(path.c_str(), access, 0, nullptr, disposition, attributes, nullptr);
    if (h != INVALID_HANDLE_VALUE || disposition != CREATE_ALWAYS || ::GetLastError() != ERROR_ACCESS_DENIED)
        return h;
    RemoveFile(path);
    return ::CreateFileW(path.c_str(), access, 0, nullptr, disposition, attributes, nullptr);
}

}  // namespace

TCopyResult TCopier::Copy(const std::wstring& source, const std::wstring& target, bool timestamp,
                          const WIN32_FILE_ATTRIBUTE_DATA* known) {
    const std::wstring from = LongPathForm(source), to = LongPathForm(target);
    WIN32_FILE_ATTRIBUTE_DATA s;
    if (known) {
        s = *known;
    } else if (!Query(from, s)) {
        const DWORD e = ::GetLastError();
        return IsNotFound(e) ? TCopyResult{TCopyOutcome::coMissing} : Failed(e);
    }
    if (s.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {TCopyOutcome::coMissing};
    // Whether an old copy is there: asked for the time-stamp rule, else found out by the making.
    int oldCopy = -1;
    if (timestamp) {
        WIN32_FILE_ATTRIBUTE_DATA t;
        oldCopy = Query(to, t) ? 1 : 0;
        // An empty copy of a file that is not empty is what a process ended between making a new
        // copy and marking it leaves: never taken for as new as its source.
        const bool unfinished = SizeOf(t) == 0 && SizeOf(s) > 0;
        if (oldCopy && !(t.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !unfinished &&
            !IsNewer(s.ftLastWriteTime, t.ftLastWriteTime))
            return {TCopyOutcome::coKept};
    }
    if (MayHaveStreams(from, to)) return CopyWithStreams(from, to);

    FileHandle in(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) {
        const DWORD e = ::GetLastError();
        return IsNotFound(e) ? TCopyResult{TCopyOutcome::coMissing} : Failed(e);
    }
    const DWORD attributes =
        (s.dwFileAttributes & kMadeWith) ? (s.dwFileAttributes & kMadeWith) : FILE_ATTRIBUTE_NORMAL;
    const std::wstring temp = to + kCopyTempSuffix;
    // No copy there yet: the new one is made under its final name. An old one stays until the
    // new one, made beside it, is complete.
    FileHandle out;
    if (oldCopy != 1) {
        out.reset(MakeFile(to, CREATE_NEW, attributes));
        if (!out && ::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return Failed(::GetLastError());
    }
    const bool beside = !out;
    if (beside) {
        out.reset(MakeFile(temp, CREATE_ALWAYS, attributes));
        if (!out) return Failed(::GetLastError());
    }
    if (!MarkForDeletion(out.get(), true)) {
        const DWORD e = ::GetLastError();
        out.reset();
        RemoveFile(beside ? temp : to);
        return Failed(e);
    }
    if (Buffer_.empty()) Buffer_.resize(kBufferSize);
    uint64_t copied = 0;
    for (;;) {
        DWORD got = 0, put = 0;
        if (!::ReadFile(in.get(), Buffer_.data(), static_cast<DWORD>(Buffer_.size()), &got, nullptr))
            return Failed(::GetLastError());
        if (got == 0) break;
        if (!::WriteFile(out.get(), Buffer_.data(), got, &put, nullptr)) return Failed(::GetLastError());
        if (put != got) return Failed(ERROR_DISK_FULL);
        copied += got;
    }
    // Complete means as long as the source is now: one written to meanwhile may have given a
    // mixture of old and new, which is no copy of either.
    LARGE_INTEGER now{};
    if (!::GetFileSizeEx(in.get(), &now) || static_cast<uint64_t>(now.QuadPart) != copied)
        return {TCopyOutcome::coFailed, TFailReason::frIncomplete, 0};
    // The source's time as it is now (the listing's may be older), set before the copy counts as
    // complete: a copy is never taken for newer than it is.
    FILETIME written = s.ftLastWriteTime;
    ::GetFileTime(in.get(), nullptr, nullptr, &written);
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.LowPart = written.dwLowDateTime;
    basic.LastWriteTime.HighPart = static_cast<LONG>(written.dwHighDateTime);
    basic.FileAttributes = attributes;
    DWORD error = 0;
    if (!::SetFileInformationByHandle(out.get(), FileBasicInfo, &basic, sizeof basic) ||
        !MarkForDeletion(out.get(), false))
        return Failed(::GetLastError());
    if (beside && !Replace(to, error, [&] { return RenameOver(out.get(), to); })) {
        MarkForDeletion(out.get(), true);
        return Failed(error);
    }
    if (s.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        basic.LastWriteTime.QuadPart = 0;  // as it is
        basic.FileAttributes = attributes | FILE_ATTRIBUTE_READONLY;
        ::SetFileInformationByHandle(out.get(), FileBasicInfo, &basic, sizeof basic);
    }
    return {TCopyOutcome::coCopied};
}

bool TCopier::StreamsOn(const std::wstring& path) {
    // "\\?\C:\..." is asked as "C:\"; "\\?\UNC\server\share\..." as that share.
    std::wstring key = path.substr(0, 6);
    if (path.compare(4, 4, L"UNC\\") == 0) {
        const size_t server = path.find(L'\\', 8);
        const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        key = path.substr(0, share);
    }
    for (const auto& [known, answer] : Drives_)
        if (known == key) return answer;
    const bool answer = Volumes_.Supported(ReadableAnsi(path.substr(4)));
    Drives_.emplace_back(key, answer);
    return answer;
}

bool TCopier::MayHaveStreams(const std::wstring& from, const std::wstring& to) {
    // The volumes are asked once each; the file only where both sides have streams.
    if (!StreamsOn(from) || !StreamsOn(to)) return false;
    WIN32_FIND_STREAM_DATA stream;
    FindHandle find(::FindFirstStreamW(from.c_str(), FindStreamInfoStandard, &stream, 0));
    if (!find) return false;
    do {
        if (std::wstring(stream.cStreamName) != L"::$DATA") return true;
    } while (::FindNextStreamW(find.get(), &stream));
    return false;
}

TCopyResult CopyWithStreams(const std::wstring& from, const std::wstring& to) {
    const std::wstring temp = to + kCopyTempSuffix;
    DWORD error = 0;
    bool copied = ::CopyFileW(from.c_str(), temp.c_str(), FALSE) != 0;
    if (!copied) {
        error = ::GetLastError();
        // A part left there by a run ended half-way, read-only like its source: it goes first.
        if (error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(temp.c_str()) != INVALID_FILE_ATTRIBUTES) {
            RemoveFile(temp);
            copied = ::CopyFileW(from.c_str(), temp.c_str(), FALSE) != 0;
            if (!copied) error = ::GetLastError();
        }
    }
    if (!copied) {
        RemoveFile(temp);
        if (IsNotFound(error) && ::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES)
            return {TCopyOutcome::coMissing};
        return Failed(error);
    }
    WIN32_FILE_ATTRIBUTE_DATA now, copy;
    if (!Query(from, now) || !Query(temp, copy) || SizeOf(copy) != SizeOf(now)) {
        RemoveFile(temp);
        return {TCopyOutcome::coFailed, TFailReason::frIncomplete, 0};
    }
    if (!Replace(to, error,
                 [&] { return ::MoveFileExW(temp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; })) {
        RemoveFile(temp);
        return Failed(error);
    }
    return {TCopyOutcome::coCopied};
}

bool MakeFolders(const std::wstring& folder) {
    std::wstring f = folder;
    while (f.size() > 3 && f.back() == L'\\') f.pop_back();
    const std::wstring path = LongPathForm(f);
    const DWORD a = ::GetFileAttributesW(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t cut = f.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut < 2) return false;
    // Up to the drive or share root, which is never made.
    if (cut > 2 && !MakeFolders(f.substr(0, cut))) return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string CopyLogLine(const std::string& name, TCopyOutcome outcome) {
    const char* what = outcome == TCopyOutcome::coCopied    ? kLogBackedUp
                       : outcome == TCopyOutcome::coKept    ? kLogKept
                       : outcome == TCopyOutcome::coMissing ? kLogVanished
                                                            : kLogCopyFailed;
    return "  " + name + what;
}

std::string CopyLogLine(const std::string& name, const TCopyResult& result) {
    if (result.Outcome == TCopyOutcome::coFailed) return FailureLogLine(name, result.Reason, result.Error);
    return CopyLogLine(name, result.Outcome);
}

void CountCopy(TStepReport& report, const std::string& name, const TCopyResult& result) {
    switch (result.Outcome) {
        case TCopyOutcome::coCopied:
            ++report.Copied;
            break;
        case TCopyOutcome::coKept:
            ++report.Kept;
            break;
        case TCopyOutcome::coMissing:
            ++report.Missing;
            break;
        case TCopyOutcome::coFailed:
            report.Fail(name, result.Reason, result.Error);
            break;
    }
}

}  // namespace ostra
