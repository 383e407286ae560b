#include "BackupCopy.h"

#include "FileStamp.h"
#include "WideText.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

constexpr DWORD kKeepsOut = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

uint64_t SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& d) {
    return (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

bool Query(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& d) {
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d) != 0;
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

// Copies to the temporary name. A part left there by a run ended during this copy carries its
// source's attributes and may refuse to be replaced: it goes first, then the copy is tried again.
bool CopyToTemp(const std::wstring& source, const std::wstring& temp, DWORD& error) {
    if (::CopyFileW(source.c_str(), temp.c_str(), FALSE)) return true;
    error = ::GetLastError();
    if (error != ERROR_ACCESS_DENIED || ::GetFileAttributesW(temp.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    RemoveFile(temp);
    if (::CopyFileW(source.c_str(), temp.c_str(), FALSE)) return true;
    error = ::GetLastError();
    return false;
}

// Renames the complete copy over the old one. Windows refuses to replace a read-only file (and
// the copy of a read-only source is one): its attributes are cleared for the rename, and put back
// when the rename fails all the same.
bool Replace(const std::wstring& temp, const std::wstring& target, DWORD& error) {
    if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    error = ::GetLastError();
    const DWORD a = ::GetFileAttributesW(target.c_str());
    if (error != ERROR_ACCESS_DENIED || a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY) ||
        !(a & kKeepsOut) || !::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL))
        return false;
    if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    error = ::GetLastError();
    ::SetFileAttributesW(target.c_str(), a);
    return false;
}

}  // namespace

TCopyResult CopyToBase(const std::wstring& source, const std::wstring& target, bool timestamp,
                       const WIN32_FILE_ATTRIBUTE_DATA* known) {
    const std::wstring from = LongPathForm(source), to = LongPathForm(target);
    WIN32_FILE_ATTRIBUTE_DATA s;
    if (known) {
        s = *known;
    } else if (!Query(from, s)) {
        const DWORD e = ::GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return {TCopyOutcome::coMissing};
        return Failed(e);
    }
    if (s.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {TCopyOutcome::coMissing};
    if (timestamp) {
        WIN32_FILE_ATTRIBUTE_DATA t;
        if (Query(to, t) && !(t.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !IsNewer(s.ftLastWriteTime, t.ftLastWriteTime))
            return {TCopyOutcome::coKept};
    }
    const std::wstring temp = to + kCopyTempSuffix;
    DWORD error = 0;
    if (!CopyToTemp(from, temp, error)) {
        RemoveFile(temp);
        // Gone since it was listed, or since the check above: nothing to back up.
        if ((error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) &&
            ::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES)
            return {TCopyOutcome::coMissing};
        return Failed(error);
    }
    // Complete means as long as the source is now: a source written to during the copy may have
    // given a mixture of old and new, which is no copy of either.
    WIN32_FILE_ATTRIBUTE_DATA now, copy;
    if (!Query(from, now) || !Query(temp, copy) || SizeOf(copy) != SizeOf(now)) {
        RemoveFile(temp);
        return {TCopyOutcome::coFailed, TFailReason::frIncomplete, 0};
    }
    if (!Replace(temp, to, error)) {
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
