#include "FolderBackup.h"

#include <windows.h>

#include <algorithm>

#include "BackupCopy.h"
#include "CollectFiles.h"
#include "FileSystem.h"
#include "FolderEntry.h"
#include "TextRoutines.h"
#include "WideText.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

TFailReason TroubleReason(TNameTrouble t) {
    return t == TNameTrouble::ntNoAnsiForm ? TFailReason::frNoAnsiName : TFailReason::frTrailingDotOrBlank;
}

void AddUnlisted(TStepReport& report, TLog& log, const TFailedItem& folder) {
    // Each pattern walks the same folders: one line and one count per folder.
    for (const TFailedItem& f : report.Failed)
        if (f.Item == folder.Item && f.Reason == folder.Reason) return;
    log.Add(FailureLogLine(RemoveBackslash(folder.Item), folder.Reason, folder.Error));
    report.Failed.push_back(folder);
}

}  // namespace

bool TitleIsUsable(const std::string& title) {
    if (title.empty()) return true;
    if (LastDelimiter(title, "\\/:") != std::string::npos) return false;
    return title.find_first_not_of(". ") != std::string::npos;
}

TStepReport BackupFolders(const std::string& baseFolder, const TStrings& entries, TLog log, bool timestamp,
                          const TCheckStopEvent& checkStop, const std::string& archiveFolder) {
    TStepReport report;
    report.Ran = true;
    const std::string base = AddBackslash(baseFolder);
    if (!DirectoryExists(base)) CreateDir(base);
    std::wstring baseWide = FullWidePath(base);
    if (!baseWide.empty() && baseWide.back() != L'\\') baseWide += L'\\';
    log.Add(kLogFolderHeader);
    TCopier copier;
    bool stop = false;
    TFolderWalk walk;
    std::vector<TFoundFile> collected;
    for (const std::string& line : entries) {
        if (checkStop) {
            checkStop(stop);
            if (stop) return report;
        }
        const TFolderEntry entry = ParseFolderEntry(line);
        log.Add("@" + entry.Title + kLogFolderBusy);
        if (!TitleIsUsable(entry.Title)) {
            log.Add(kLogBadTitle);
            report.Fail(entry.Title, TFailReason::frBadTitle);
            continue;
        }
        // A relative folder would be read from whatever folder the program was started in: it is
        // taken as missing. The base and archive folders may lie inside the registered folder:
        // never copy a run's own copies, nor its archives (each archive would hold the last).
        const std::string folder = WithBackslashes(entry.Folder);
        std::wstring root;
        bool missing = !IsAbsolutePath(folder);
        if (!missing)
            for (const std::string& pattern : entry.Patterns) {
                WalkFolder(folder, pattern, entry.Subfolders, false, {base, archiveFolder}, walk);
                if (walk.RootMissing) {
                    missing = true;
                    break;
                }
                root = walk.Root;
                for (const TFailedItem& f : walk.Unlisted) AddUnlisted(report, log, f);
                std::move(walk.Files.begin(), walk.Files.end(), std::back_inserter(collected));
            }
        if (missing && !Trim(entry.Folder).empty()) ++report.Missing;
        const std::wstring destination =
            baseWide + AnsiToWide(entry.Title.empty() ? entry.Title : entry.Title + "\\");
        std::wstring madeHolder;  // the last folder known to exist: files come folder by folder
        for (const TFoundFile& f : collected) {
            if (checkStop) {
                checkStop(stop);
                if (stop) return report;
            }
            if (f.Trouble != TNameTrouble::ntNone) {
                log.Add(FailureLogLine(f.Name, TroubleReason(f.Trouble)));
                report.Fail(ReadableAnsi(root + f.Relative), TroubleReason(f.Trouble));
                continue;
            }
            const std::wstring target = destination + f.Relative;
            const std::wstring holder = target.substr(0, target.find_last_of(L'\\') + 1);
            if (holder != madeHolder) {
                MakeFolders(holder);
                madeHolder = holder;
            }
            const TCopyResult r = copier.Copy(root + f.Relative, target, timestamp, &f.Info);
            log.Add(CopyLogLine(f.Name, r));
            CountCopy(report, r.Outcome == TCopyOutcome::coFailed ? ReadableAnsi(root + f.Relative) : f.Name,
                      r);
        }
        collected.clear();
    }
    log.Add("");
    return report;
}

}  // namespace ostra
