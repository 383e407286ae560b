#include "BackupLists.h"

#include <windows.h>

#include <algorithm>

#include "FolderBackup.h"
#include "FolderEntry.h"
#include "TextRoutines.h"

namespace ostra {

namespace {

bool HasComma(const std::string& s) {
    return AnsiPos(s, ",") != std::string::npos;
}

}  // namespace

TFolderSettings ReadFolderSettings(const std::string& line) {
    TFolderSettings s;
    std::string rest = line;
    s.Path = CutToken(rest, ",");
    const std::string second = CutToken(rest, ",");
    const bool hadFourth = AnsiPos(rest, ",") != std::string::npos;
    const std::string third = CutToken(rest, ",");
    // A line of four fields keeps them, even with a filter of just "0" or "1": only a line that
    // ends after its third field can be of the earlier layout.
    if ((third == "0" || third == "1") && !hadFourth) {
        s.OlderForm = true;
        s.Title = FolderTitle(s.Path);
        s.Filter = second;
        s.Subfolders = third == "1";
        return s;
    }
    s.Title = second;
    s.Filter = third;
    // The flag as a run reads it, so that the box shows what the run will do.
    s.Subfolders = ParseFolderEntry(line).Subfolders;
    return s;
}

std::string FolderEntryLine(const std::string& path, const std::string& title, const std::string& filter,
                            bool subfolders) {
    return path + "," + title + "," + filter + "," + BoolToIniStr(subfolders);
}

std::string FolderTitle(const std::string& path) {
    // "C:\Data\" names the folder Data as "C:\Data" does; "C:\" keeps an empty title.
    return ExtractFileName(RemoveBackslash(path));
}

std::string NewFolderEntry(const std::string& path) {
    return path + "," + FolderTitle(path) + ",*.*,0";
}

std::string FolderPathRefusal(const std::string& path) {
    if (!HasComma(path)) return std::string();
    return "名前に「,」を含むフォルダは登録できません\r\n" + path;
}

std::string FolderSettingsRefusal(const std::string& title, const std::string& filter) {
    if (HasComma(title) || HasComma(filter))
        return "タイトルとフィルタに「,」は使えません\r\n（フィルタの区切りには「;」を使います）";
    // The title is the folder the run copies into: one that leads elsewhere is skipped by every run.
    if (!TitleIsUsable(title))
        return "タイトルに「\\」「/」「:」を含む名前や「.」だけの名前は使えません\r\n"
               "（タイトルは基準フォルダ内のフォルダ名になります）";
    return std::string();
}

bool ContainsPath(const TStrings& list, const std::string& text) {
    const std::string key = RemoveBackslash(text);
    return std::any_of(list.begin(), list.end(), [&](const std::string& entry) {
        return ::lstrcmpiA(RemoveBackslash(entry).c_str(), key.c_str()) == 0;
    });
}

}  // namespace ostra
