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

// The run options as saved, plus the two subfolder names that only a run reads; the two folders
// resolved, or empty when they were not absolute.
struct TRunnerSettings : TRunOptions {
    std::string fileDir, regDir;
};

TRunnerSettings ReadSettings(const std::string& iniPath) {
    const TSettingsFile ini(iniPath);
    TRunnerSettings r;
    static_cast<TRunOptions&>(r) = ReadRunOptions(ini);
    r.fileDir = ini.ReadString(kSectionOption, "FileDir", kDefaultFileDir);
    r.regDir = ini.ReadString(kSectionOption, "RegDir", kDefaultRegDir);
    // A relative folder would resolve against whatever folder the scheduler starts us in. The
    // others are resolved, so that the tests below see through "..", "/" and short names.
    for (std::string* dir : {&r.BaseDir, &r.ArcDir}) {
        *dir = AddBackslash(*dir);
        *dir = IsAbsolutePath(*dir) ? AddBackslash(FullLongPath(*dir)) : std::string();
    }
    return r;
}

// Emptying the base folder must never remove originals, the configuration or the archives.
bool MayEmptyBaseFolder(const TRunnerSettings& s, const std::string& appDir, const TStrings& files,
                        const TStrings& folderLines) {
    const std::string base = ComparablePath(s.BaseDir);
    auto inside = [&base](const std::string& path) {
        return !path.empty() && IsInsideFolder(ComparablePath(path), base);
    };
    if (inside(appDir) || inside(s.ArcDir)) return false;
    for (const std::string& f : files)
        if (inside(f)) return false;
    for (const std::string& line : folderLines)
        if (inside(ParseFolderEntry(line).folder)) return false;
    return true;
}

}  // namespace

int RunOnce(const std::string& appDir, KernelHandle& runMarker) {
    const std::string iniPath = appDir + kIniFile;
    if (!FileExists(iniPath)) return 0;
    const TRunnerSettings s = ReadSettings(iniPath);
    if (s.BaseDir.empty() || !DirectoryExists(s.BaseDir)) return 0;

    // Marks that a run is under way for as long as this process lives; a second runner leaves the
    // folders to the first.
    const HANDLE marker = ::CreateMutexA(nullptr, FALSE, "Pelmira - Ostrun by zedka");
    const bool anotherRun = ::GetLastError() == ERROR_ALREADY_EXISTS;
    runMarker.reset(marker);
    if (anotherRun) return 0;

    TStrings files, folders, keys;
    if (FileExists(appDir + kFileList)) {
        LoadList(appDir + kFileList, files);
        BackupFiles(s.BaseDir + s.fileDir, files, nullptr, s.Timestamp, nullptr);
    }
    if (FileExists(appDir + kFolderList)) {
        LoadList(appDir + kFolderList, folders);
        BackupFolders(s.BaseDir, folders, nullptr, s.Timestamp, nullptr);
    }
    if (FileExists(appDir + kRegistryList)) {
        LoadList(appDir + kRegistryList, keys);
        BackupRegistry(s.BaseDir + s.regDir, keys, nullptr, nullptr);
    }

    if (!s.Archive || s.ArcDir.empty() || !DirectoryExists(s.ArcDir)) return 0;
    // Archives kept inside the base folder would be packed into the next archive and removed by
    // the emptying; such a configuration gets its copies, but neither step.
    if (ArchiveFolderInBase(s.BaseDir, s.ArcDir)) return 0;

    const TArchiveResult made = MakeArchive(s.BaseDir, s.ArcDir, s.Lha, s.ArcName > 0, false, nullptr);
    if (made.outcome == TArchiveResult::arFailed) return 1;  // files were there, no complete archive
    if (made.outcome == TArchiveResult::arCreated && s.DeleteFiles &&
        MayEmptyBaseFolder(s, appDir, files, folders))
        DeleteBaseFolder(s.BaseDir, nullptr, false, false, s.DelUseRecycleBin, false);
    return 0;
}

}  // namespace ostra
