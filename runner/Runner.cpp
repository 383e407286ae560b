#include "Runner.h"

#include <windows.h>

#include "WinHandles.h"
#include "ostra_utils.h"

namespace ostra {

int RunOnce(const std::string& appDir) {
    const std::string iniPath = appDir + kIniFile;
    if (!FileExists(iniPath)) return 0;

    std::string baseDir, fileDir, regDir;
    bool timestamp;
    {
        TSettingsFile ini(iniPath);
        baseDir = AddBackslash(ini.ReadString(kSectionOption, "BaseDir", ""));
        fileDir = ini.ReadString(kSectionOption, "FileDir", kDefaultFileDir);
        regDir = ini.ReadString(kSectionOption, "RegDir", kDefaultRegDir);
        timestamp = ini.ReadBool(kSectionOption, "Timestamp", false);
    }
    if (baseDir.empty() || !DirectoryExists(baseDir)) return 0;

    // Marks that a run is under way for as long as this process lives.
    KernelHandle runMarker(::CreateMutexA(nullptr, FALSE, "Pelmira - Ostrun by zedka"));

    TStrings list;
    if (FileExists(appDir + kFileList)) {
        LoadList(appDir + kFileList, list);
        BackupFiles(baseDir + fileDir, list, nullptr, timestamp, nullptr);
    }
    if (FileExists(appDir + kFolderList)) {
        LoadList(appDir + kFolderList, list);
        BackupFolders(baseDir, list, nullptr, timestamp, nullptr);
    }
    if (FileExists(appDir + kRegistryList)) {
        LoadList(appDir + kRegistryList, list);
        BackupRegistry(baseDir + regDir, list, nullptr, nullptr);
    }
    return 0;
}

}  // namespace ostra
