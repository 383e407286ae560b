#include "FileBackup.h"

#include "BackupCopy.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "ostra_consts.h"

namespace ostra {

void BackupFiles(const std::string& destination, const TStrings& entries, TLog log, bool timestamp,
                 const TCheckStopEvent& checkStop) {
    const std::string dest = AddBackslash(destination);
    if (!DirectoryExists(dest)) CreateDir(dest);
    log.Add(kLogFileHeader);
    bool stop = false;
    for (const std::string& source : entries) {
        if (checkStop) {
            checkStop(stop);
            if (stop) return;
        }
        // A relative path would be read from whatever folder the program was started in.
        if (!IsAbsolutePath(source) || !FileExists(source)) continue;
        const std::string name = ExtractFileName(source);
        TCopyOutcome outcome = BackupOneFile(source, dest + name, timestamp);
        log.Add(CopyLogLine(name, outcome));
    }
    log.Add("");
}

}  // namespace ostra
