#include "Runner.h"

#include <windows.h>

#include "ArchiveFolders.h"
#include "ArchiveStep.h"
#include "FolderBackup.h"
#include "RegistryBackup.h"
#include "WinHandles.h"
#include "ostra_utils.h"

namespace ostra {

namespace {

struct TRunnerSettings {
    std::string baseDir, arcDir, fileDir, regDir;
    bool timestamp = false, archive = false, deleteFiles = false, recycleBin = true;
    int method = 0, naming = 0;
};

TRunnerSettings ReadSettings(const std::string& iniPath) {
    TSettingsFile ini(iniPath);
    const char* s = kSectionOption;
    TRunnerSettings r;
    r.baseDir = AddBackslash(ini.ReadString(s, "BaseDir", ""));
    r.arcDir = AddBackslash(ini.ReadString(s, "ArcDir", ""));
    r.fileDir = ini.ReadString(s, "FileDir", kDefaultFileDir);
    r.regDir = ini.ReadString(s, "RegDir", kDefaultRegDir);
    r.timestamp = ini.ReadBool(s, "Timestamp", false);
    r.archive = ini.ReadBool(s, "Archive", false);
    r.method = ini.ReadInteger(s, "lha", 0);
    r.naming = ini.ReadInteger(s, "ArcName", 0);
    r.deleteFiles = ini.ReadBool(s, "DeleteFiles", false);
    r.recycleBin = ini.ReadBool(s, "DelUseRecycleBin", true);
    // A relative folder would resolve against whatever folder the scheduler starts us in. The
    // others are resolved, so that the tests below see through "..", "/" and short names.
    for (std::string* dir : {&r.baseDir, &r.arcDir})
        *dir = IsAbsolutePath(*dir) ? AddBackslash(FullLongPath(*dir)) : std::string();
    return r;
}

bool Inside(const std::string& path, const std::string& folder) {
    return !path.empty() && IsInsideFolder(ComparablePath(path), ComparablePath(folder));
}

// Emptying the base folder must never remove originals, the configuration or the archives.
bool MayEmptyBaseFolder(const TRunnerSettings& s, const std::string& appDir, const TStrings& files,
                        const TStrings& folderLines) {
    if (Inside(appDir, s.baseDir) || Inside(s.arcDir, s.baseDir)) return false;
    for (const std::string& f : files)
        if (Inside(f, s.baseDir)) return false;
    for (const std::string& line : folderLines)
        if (Inside(ParseFolderEntry(line).folder, s.baseDir)) return false;
    return true;
}

}  // namespace

int RunOnce(const std::string& appDir, KernelHandle& runMarker) {
    const std::string iniPath = appDir + kIniFile;
    if (!FileExists(iniPath)) return 0;
    const TRunnerSettings s = ReadSettings(iniPath);
    if (s.baseDir.empty() || !DirectoryExists(s.baseDir)) return 0;

    // Marks that a run is under way for as long as this process lives; a second runner leaves the
    // folders to the first.
    const HANDLE marker = ::CreateMutexA(nullptr, FALSE, "Pelmira - Ostrun by zedka");
    const bool anotherRun = ::GetLastError() == ERROR_ALREADY_EXISTS;
    runMarker.reset(marker);
    if (anotherRun) return 0;

    TStrings files, folders, keys;
    if (FileExists(appDir + kFileList)) {
        LoadList(appDir + kFileList, files);
        BackupFiles(s.baseDir + s.fileDir, files, nullptr, s.timestamp, nullptr);
    }
    if (FileExists(appDir + kFolderList)) {
        LoadList(appDir + kFolderList, folders);
        BackupFolders(s.baseDir, folders, nullptr, s.timestamp, nullptr);
    }
    if (FileExists(appDir + kRegistryList)) {
        LoadList(appDir + kRegistryList, keys);
        BackupRegistry(s.baseDir + s.regDir, keys, nullptr, nullptr);
    }

    if (!s.archive || s.arcDir.empty() || !DirectoryExists(s.arcDir)) return 0;
    // Archives kept inside the base folder would be packed into the next archive and removed by
    // the emptying; such a configuration gets its copies, but neither step.
    if (ArchiveFolderInBase(s.baseDir, s.arcDir)) return 0;

    const TArchiveResult made = MakeArchive(s.baseDir, s.arcDir, s.method, s.naming > 0, false, nullptr);
    if (made.outcome == TArchiveResult::arFailed) return 1;  // files were there, no complete archive
    if (made.outcome == TArchiveResult::arCreated && s.deleteFiles &&
        MayEmptyBaseFolder(s, appDir, files, folders))
        DeleteBaseFolder(s.baseDir, nullptr, false, false, s.recycleBin, false);
    return 0;
}

}  // namespace ostra
