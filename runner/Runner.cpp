#include "Runner.h"

#include "FileSystem.h"
#include "ListFile.h"
#include "SettingsFile.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

std::optional<TStrings> ListIfPresent(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    TStrings list;
    LoadList(path, list);
    return list;
}

}  // namespace

bool ReadRunnerInput(const std::string& appDir, TRunInput& in) {
    const std::string iniPath = appDir + kIniFile;
    if (!FileExists(iniPath)) return false;
    {
        const TSettingsFile ini(iniPath);
        in.Options = ReadRunOptions(ini);
        in.FileDir = ini.ReadString(kSectionOption, "FileDir", kDefaultFileDir);
        in.RegDir = ini.ReadString(kSectionOption, "RegDir", kDefaultRegDir);
    }
    // Nobody watches an unattended run: no progress dialog, no question, no error box.
    in.Options.ArcProgress = false;
    in.Options.DelConfirm = false;
    in.Options.DelShowDialog = false;
    in.ShowErrors = false;
    in.Owner = nullptr;
    in.AppDir = appDir;
    in.Files = ListIfPresent(appDir + kFileList);
    in.Folders = ListIfPresent(appDir + kFolderList);
    in.Keys = ListIfPresent(appDir + kRegistryList);
    return true;
}

int ExitStatus(const TRunResult& result) {
    return result.Outcome == TRunResult::roArchiveFailed ? 1 : 0;
}

int RunOnce(const std::string& appDir) {
    TRunInput input;
    if (!ReadRunnerInput(appDir, input)) return 0;
    return ExitStatus(RunBackup(input));
}

}  // namespace ostra
