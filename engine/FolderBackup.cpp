#include "FolderBackup.h"

#include "BackupCopy.h"
#include "CollectFiles.h"
#include "FileSystem.h"
#include "FolderEntry.h"
#include "TextRoutines.h"
#include "ostra_consts.h"

namespace ostra {

bool TitleIsUsable(const std::string& title) {
    if (title.empty()) return true;
    if (LastDelimiter(title, "\\/:") != std::string::npos) return false;
    return title.find_first_not_of(". ") != std::string::npos;
}

void BackupFolders(const std::string& baseFolder, const TStrings& entries, TLog log, bool timestamp,
                   const TCheckStopEvent& checkStop, const std::string& archiveFolder) {
    const std::string base = AddBackslash(baseFolder);
    if (!DirectoryExists(base)) CreateDir(base);
    log.Add(kLogFolderHeader);
    bool stop = false;
    TStrings collected;
    for (const std::string& line : entries) {
        if (checkStop) {
            checkStop(stop);
            if (stop) return;
        }
        const TFolderEntry entry = ParseFolderEntry(line);
        log.Add("@" + entry.Title + kLogFolderBusy);
        if (!TitleIsUsable(entry.Title)) {
            log.Add(kLogBadTitle);
            continue;
        }
        // A relative folder would be read from whatever folder the program was started in: it is
        // taken as missing. The base and archive folders may lie inside the registered folder:
        // never copy a run's own copies, nor its archives (each archive would hold the last).
        if (IsAbsolutePath(entry.Folder))
            for (const std::string& pattern : entry.Patterns)
                CollectFiles(entry.Folder, pattern, collected, entry.Subfolders, false,
                             {base, archiveFolder});
        const std::string destination = AddBackslash(base + entry.Title);
        for (const std::string& source : collected) {
            if (checkStop) {
                checkStop(stop);
                if (stop) return;
            }
            const std::string target = destination + source.substr(entry.Folder.size());
            // Listed, yet not to be found under that name: a name the code page cannot hold
            // ("?" where a character was) or a file gone since. Either way it was not copied.
            if (!FileExists(source)) {
                log.Add(CopyLogLine(ExtractFileName(source), TCopyOutcome::coFailed));
                continue;
            }
            const std::string holder = ExtractFilePath(target);
            if (!DirectoryExists(holder)) ForceDirectories(holder);
            const TCopyOutcome outcome = BackupOneFile(source, target, timestamp);
            log.Add(CopyLogLine(ExtractFileName(source), outcome));
        }
        collected.clear();
    }
    log.Add("");
}

}  // namespace ostra
