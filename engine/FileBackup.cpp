#include "FileBackup.h"

#include "BackupCopy.h"
#include "FileSystem.h"
#include "TextRoutines.h"
#include "ostra_consts.h"

namespace ostra {

void BackupFiles(const std::string& destination, const TStrings& entries, TStrings* log, bool timestamp,
                 const TCheckStopEvent& checkStop) {
    const std::string dest = AddBackslash(destination);
    if (!DirectoryExists(dest)) CreateDir(dest);
    if (log) log->push_back(kLogFileHeader);
    bool stop = false;
    for (const std::string& source : entries) {
        if (checkStop) {
            checkStop(stop);
            if (stop) return;
        }
        if (!FileExists(source)) continue;
        const std::string name = ExtractFileName(source);
        TCopyOutcome outcome = BackupOneFile(source, dest + name, timestamp);
        if (log) log->push_back(CopyLogLine(name, outcome));
    }
    if (log) log->push_back("");
}

}  // namespace ostra
