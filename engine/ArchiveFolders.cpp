#include "ArchiveFolders.h"

#include <shellapi.h>

#include <stdexcept>

#include "FileSystem.h"
#include "FolderEmptying.h"
#include "FolderIdentity.h"
#include "TextRoutines.h"

namespace ostra {

bool ArchiveFolderInBase(const std::string& baseFolder, const std::string& archiveFolder) {
    const std::string a = AnsiLowerCase(AddBackslash(archiveFolder));
    const std::string b = AnsiLowerCase(baseFolder);
    if (AnsiPos(a, b) != std::string::npos) return true;
    // Another spelling of the same place: a second drive letter, a link on the way.
    return !baseFolder.empty() && !archiveFolder.empty() && IsSameOrInsideFolder(archiveFolder, baseFolder);
}

void CheckArchiveFolder(const std::string& baseFolder, const std::string& archiveFolder) {
    if (!DirectoryExists(baseFolder) || !DirectoryExists(archiveFolder)) return;
    if (!ArchiveFolderInBase(baseFolder, archiveFolder)) return;
    throw std::runtime_error(
        "圧縮先フォルダが基準フォルダと同フォルダ、もしくは下位フォルダになっています\r\n"
        "    基準フォルダ = " +
        baseFolder +
        "\r\n"
        "    圧縮先フォルダ = " +
        archiveFolder +
        "\r\n"
        "圧縮は、基準フォルダ以下のファイルをすべて圧縮します\r\n"
        "また、設定により、圧縮後基準フォルダ以下のフォルダを削除することがあります\r\n"
        "圧縮先フォルダは基準フォルダと独立したフォルダを指定してください");
}

bool IsRootFolder(const std::string& folder) {
    std::string f = RemoveBackslash(folder);
    if (f.size() == 2 && f[1] == ':') return true;
    if (f.size() > 2 && f[0] == '\\' && f[1] == '\\') {
        // "\\server\share" is a root; "\\server\share\sub" is not.
        size_t server = f.find('\\', 2);
        return server == std::string::npos || f.find('\\', server + 1) == std::string::npos;
    }
    return false;
}

bool MayHandToShellForDeletion(const std::string& folder) {
    // The shell takes wildcards as such: "C:\Backup*" would delete every match.
    return IsAbsolutePath(AddBackslash(folder)) && !IsRootFolder(folder) &&
           folder.find_first_of("*?") == std::string::npos;
}

void DeleteBaseFolder(const std::string& baseFolder, HWND owner, bool confirm, bool progressDialog,
                      bool recycleBin, bool showErrors) {
    // "C:\.", "D:\Backup\.." and "C:\Backup/.." are roots too: judge the resolved path.
    const std::string given = RemoveBackslash(baseFolder);
    const std::string target = RemoveBackslash(FullLongPath(given));
    const bool safe = IsAbsolutePath(AddBackslash(given)) && MayHandToShellForDeletion(target);
    if (safe && DirectoryExists(target) && !recycleBin && !confirm && !progressDialog) {
        // None of the shell's features asked for: our own walk, a hundred times faster.
        RemoveFolderTree(target);
    } else if (safe && DirectoryExists(target)) {
        std::string from = target;
        from.push_back('\0');  // the shell takes a list ended by two NULs
        SHFILEOPSTRUCTA op{};
        op.hwnd = owner;
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = 0;
        if (recycleBin) op.fFlags |= FOF_ALLOWUNDO;
        if (!confirm) op.fFlags |= FOF_NOCONFIRMATION;
        if (!progressDialog) op.fFlags |= FOF_SILENT;
        if (!showErrors) op.fFlags |= FOF_NOERRORUI;
        ::SHFileOperationA(&op);
    }
    CreateDir(target);
}

}  // namespace ostra
