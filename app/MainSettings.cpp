#include "MainSettings.h"

#include <exception>

#include "FileSystem.h"
#include "ListFile.h"
#include "ostra_consts.h"

namespace ostra {

TMainSettings LoadMainSettings(const TSettingsFile& ini) {
    TMainSettings s;
    TWindowState& w = s.Window;
    TRunOptions& o = s.Options;
    const char* opt = kSectionOption;
    w.Top = ini.ReadInteger(opt, "Top", 0);
    w.Left = ini.ReadInteger(opt, "Left", 0);
    w.Width = ini.ReadInteger(opt, "Width", 300);
    w.Height = ini.ReadInteger(opt, "Height", 350);
    w.Font = ini.ReadString(opt, "Font", "MS UI Gothic");
    o.BaseDir = ini.ReadString(opt, "BaseDir", "");
    o.ArcDir = ini.ReadString(opt, "ArcDir", "");
    o.Timestamp = ini.ReadBool(opt, "Timestamp", false);
    o.Archive = ini.ReadBool(opt, "Archive", false);
    o.DeleteFiles = ini.ReadBool(opt, "DeleteFiles", false);
    o.ArcProgress = ini.ReadBool(opt, "ArcProgress", false);
    o.Lha = ini.ReadInteger(opt, "lha", 0);
    o.ArcName = ini.ReadInteger(opt, "ArcName", 0);
    w.Archiver = ini.ReadString(opt, "Archiver", "");
    w.DblClick = ini.ReadInteger(opt, "DblClick", 0);
    o.DelConfirm = ini.ReadBool(opt, "DelConfirm", true);
    o.DelUseRecycleBin = ini.ReadBool(opt, "DelUseRecycleBin", true);
    o.DelShowDialog = ini.ReadBool(opt, "DelShowDialog", true);
    o.KeepArchives = KeepArchivesOf(ini.ReadInteger(opt, "KeepArchives", 0));
    w.Index = ini.ReadInteger(opt, "Index", 3);
    w.DetailVisible = ini.ReadBool(kSectionKey, "Visible", false);
    return s;
}

TDetailGeometry LoadDetailGeometry(const TSettingsFile& ini) {
    TDetailGeometry g;
    g.Width = ini.ReadInteger(kSectionKey, "Width", g.Width);
    g.Height = ini.ReadInteger(kSectionKey, "Height", g.Height);
    g.Name = ini.ReadInteger(kSectionKey, "Name", g.Name);
    g.Data = ini.ReadInteger(kSectionKey, "Data", g.Data);
    return g;
}

void SaveDetailGeometry(TSettingsFile& ini, const TDetailGeometry& g) {
    ini.WriteInteger(kSectionKey, "Width", g.Width);
    ini.WriteInteger(kSectionKey, "Height", g.Height);
    ini.WriteInteger(kSectionKey, "Name", g.Name);
    ini.WriteInteger(kSectionKey, "Data", g.Data);
}

void LoadMainLists(const std::string& appDir, TMainLists& lists) {
    const std::pair<const char*, TStrings*> files[] = {
        {kFileList, &lists.Files}, {kFolderList, &lists.FolderEntries}, {kRegistryList, &lists.Registry}};
    for (const auto& [name, list] : files) {
        TStrings read;
        if (FileExists(appDir + name) && LoadList(appDir + name, read)) *list = std::move(read);
    }
}

namespace {

void WriteIni(const std::string& appDir, const TWindowState& w, const TDetailGeometry* detail,
              bool projectMode, const TRunOptions& o) {
    TSettingsFile ini(appDir + kIniFile);
    const char* opt = kSectionOption;
    ini.WriteInteger(opt, "Top", w.Top);
    ini.WriteInteger(opt, "Left", w.Left);
    ini.WriteInteger(opt, "Width", w.Width);
    ini.WriteInteger(opt, "Height", w.Height);
    ini.WriteInteger(opt, "Index", w.Index);
    ini.WriteBool(kSectionKey, "Visible", w.DetailVisible);
    ini.WriteInteger(opt, "DblClick", w.DblClick);
    ini.WriteString(opt, "Archiver", w.Archiver);
    if (detail) SaveDetailGeometry(ini, *detail);
    if (projectMode) return;
    ini.WriteString(opt, "BaseDir", o.BaseDir);
    ini.WriteString(opt, "ArcDir", o.ArcDir);
    ini.WriteBool(opt, "Timestamp", o.Timestamp);
    ini.WriteBool(opt, "Archive", o.Archive);
    ini.WriteInteger(opt, "Lha", o.Lha);
    ini.WriteInteger(opt, "ArcName", o.ArcName);
    ini.WriteBool(opt, "ArcProgress", o.ArcProgress);
    ini.WriteBool(opt, "DeleteFiles", o.DeleteFiles);
    ini.WriteBool(opt, "DelConfirm", o.DelConfirm);
    ini.WriteBool(opt, "DelShowDialog", o.DelShowDialog);
    ini.WriteBool(opt, "DelUseRecycleBin", o.DelUseRecycleBin);
    // A file that never had the key is written as before while nothing is pruned.
    if (o.KeepArchives != 0 || !ini.ReadString(opt, "KeepArchives", "").empty())
        ini.WriteInteger(opt, "KeepArchives", o.KeepArchives);
}

}  // namespace

std::vector<std::string> SaveMainSettings(const std::string& appDir, const TWindowState& window,
                                          const TDetailGeometry* openDetail, bool projectMode,
                                          const TRunOptions& options, const TMainLists& lists) {
    std::vector<std::string> errors;
    try {
        WriteIni(appDir, window, openDetail, projectMode, options);
    } catch (const std::exception& e) {
        errors.push_back(e.what());
    }
    if (projectMode) return errors;
    const std::pair<const char*, const TStrings*> files[] = {
        {kFileList, &lists.Files}, {kRegistryList, &lists.Registry}, {kFolderList, &lists.FolderEntries}};
    for (const auto& [name, list] : files) {
        try {
            SaveList(appDir + name, *list);
        } catch (const std::exception& e) {
            errors.push_back(e.what());
        }
    }
    return errors;
}

}  // namespace ostra
