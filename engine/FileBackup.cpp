#include "FileBackup.h"

#include "BackupCopy.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "WideText.h"
#include "ostra_consts.h"

namespace ostra {

TStepReport BackupFiles(const std::string& destination, const TStrings& entries, TLog log, bool timestamp,
                        const TCheckStopEvent& checkStop) {
    TStepReport report;
    report.Ran = true;
    const std::string dest = AddBackslash(destination);
    std::wstring destWide = FullWidePath(dest);
    if (!destWide.empty() && destWide.back() != L'\\') destWide += L'\\';
    if (::GetFileAttributesW(LongPathForm(destWide).c_str()) == INVALID_FILE_ATTRIBUTES)
        ::CreateDirectoryW(LongPathForm(destWide).c_str(), nullptr);
    log.Add(kLogFileHeader);
    TCopier copier;
    bool stop = false;
    for (const std::string& entry : entries) {
        if (checkStop) {
            checkStop(stop);
            if (stop) return report;
        }
        // A relative path would be read from whatever folder the program was started in.
        const std::string source = WithBackslashes(entry);
        if (!IsAbsolutePath(source)) {
            if (!Trim(source).empty()) ++report.Missing;
            continue;
        }
        const std::string name = ExtractFileName(source);
        // The full path would lose the final dot or blank, and name another file.
        if (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
            log.Add(FailureLogLine(name, TFailReason::frTrailingDotOrBlank));
            report.Fail(source, TFailReason::frTrailingDotOrBlank);
            continue;
        }
        const std::wstring from = FullWidePath(source);
        WIN32_FILE_ATTRIBUTE_DATA info;
        if (!::GetFileAttributesExW(LongPathForm(from).c_str(), GetFileExInfoStandard, &info)) {
            const DWORD e = ::GetLastError();
            if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) {
                ++report.Missing;  // skipped without a word, as ever
            } else {
                log.Add(FailureLogLine(name, FailReasonOf(e), e));
                report.Fail(source, FailReasonOf(e), e);
            }
            continue;
        }
        if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++report.Missing;  // a folder is no file to back up
            continue;
        }
        const TCopyResult r = copier.Copy(from, destWide + AnsiToWide(name), timestamp, &info);
        log.Add(CopyLogLine(name, r));
        CountCopy(report, source, r);
    }
    log.Add("");
    return report;
}

}  // namespace ostra
