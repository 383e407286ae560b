#include "Runner.h"

#include "FileSystem.h"
#include "ListFile.h"
#include "RunRecord.h"
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
    return WhatWasLeftOut(result).empty() ? kExitAllDone : kExitLeftSomethingOut;
}

int RunOnce(const std::string& appDir) {
    // The start is on record before anything else: a run ended by force leaves at least that.
    const std::string record = RunRecordPath(appDir);
    const unsigned long pid = ::GetCurrentProcessId();
    SYSTEMTIME start;
    ::GetLocalTime(&start);
    AppendRunStart(record, start, pid);
    TStrings lines;
    TRunResult result;
    auto finish = [&](int status, const std::string& error) {
        SYSTEMTIME end;
        ::GetLocalTime(&end);
        AppendRunRecord(record, RecordOfRun(result, lines, status, error, start, end, pid));
    };
    try {
        TRunInput input;
        if (!ReadRunnerInput(appDir, input)) {
            lines.push_back(std::string(kIniFile) + " がないため、何もしませんでした");
            finish(kExitAllDone, std::string());
            return kExitAllDone;
        }
        input.Log = &lines;
        result = RunBackup(input);
    } catch (const std::exception& e) {
        finish(kExitError, e.what());
        throw;
    } catch (...) {
        finish(kExitError, "予期しないエラーが発生しました");
        throw;
    }
    const int status = ExitStatus(result);
    finish(status, std::string());
    return status;
}

}  // namespace ostra
