#include "ArchiveRestore.h"

#include <stdexcept>

#include "Archives.h"
#include "FileSystem.h"
#include "TextRoutines.h"

namespace ostra {

std::string RestoreFolderFor(const std::string& archivePath, const std::string& parent) {
    std::string name = ExtractFileName(archivePath);
    const size_t dot = LastDelimiter(name, ".");
    if (dot != std::string::npos) name.resize(dot);
    return AddBackslash(parent) + name;
}

std::string RestoreArchive(HWND owner, const std::string& archivePath, const std::string& parent) {
    if (!FileExists(archivePath)) throw std::runtime_error("書庫\"" + archivePath + "\"が存在しません");
    const std::string target = RestoreFolderFor(archivePath, parent);
    // The format and its library first: a missing library must leave nothing behind.
    arc::TArchiveFile archive;
    archive.SetFileName(archivePath);
    archive.CheckArchiver();
    arc::TArchiverOptions& o = archive.Options();
    o.x = 1;  // with the stored folders
    o.n = 1;
    o.jse = 1;
    o.jso = 1;
    // Made here and now, or refused: an existing folder is never written into.
    if (!::CreateDirectoryA(target.c_str(), nullptr)) {
        if (::GetLastError() == ERROR_ALREADY_EXISTS)
            throw std::runtime_error("展開先のフォルダ\"" + target + "\"がすでに存在します");
        throw std::runtime_error("展開先のフォルダ\"" + target + "\"を作成できません");
    }
    int result = 0;
    try {
        result = archive.Extract(owner, nullptr, AddBackslash(target), arc::TFileList{});
    } catch (...) {
        ::RemoveDirectoryA(target.c_str());  // only when nothing was placed in it
        throw;
    }
    if (result != 0) {
        ::RemoveDirectoryA(target.c_str());
        throw std::runtime_error("書庫\"" + archivePath + "\"を展開できませんでした（エラー " +
                                 std::to_string(result) + "）");
    }
    return target;
}

}  // namespace ostra
