#include "ArchiveList.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "FileSystem.h"
#include "TextRoutines.h"
#include "WinHandles.h"

namespace ostra {

namespace {

// "*.lzh" also finds "a.lzhx" through its short name where the volume keeps short names.
bool HasArchiveExtension(const std::string& name) {
    return name.size() > 4 && ::lstrcmpiA(name.c_str() + name.size() - 4, ".lzh") == 0;
}

}  // namespace

void TArchiveList::ForgetFolder() {
    folder_.clear();
    view_.Clear();
}

bool TArchiveList::Refresh(const std::string& folder) {
    if (!DirectoryExists(folder)) {
        if (!folder_.empty() && !DirectoryExists(folder_)) ForgetFolder();
        return false;
    }
    folder_ = AddBackslash(folder);
    view_.Clear();
    WIN32_FIND_DATAA fd;
    FindHandle find(::FindFirstFileA((folder_ + "*.lzh").c_str(), &fd));
    if (!find) return true;
    do {
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!HasArchiveExtension(fd.cFileName)) continue;
        if (!icons_) {
            SHFILEINFOA info{};
            const std::string path = folder_ + fd.cFileName;
            if (::SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) &&
                info.hIcon) {
                icons_.reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0));
                ImageList_AddIcon(icons_.get(), info.hIcon);
                ::DestroyIcon(info.hIcon);
                view_.SetSmallImages(icons_.get());
            }
        }
        view_.Add(fd.cFileName, icons_ ? 0 : -1);
    } while (::FindNextFileA(find.get(), &fd));
    view_.SortByCaption();
    return true;
}

std::vector<std::string> TArchiveList::SelectedPaths() const {
    std::vector<std::string> paths;
    if (folder_.empty()) return paths;
    for (int row : view_.SelectedRows()) paths.push_back(folder_ + view_.Caption(row));
    return paths;
}

std::string TArchiveList::SingleSelectedPath() const {
    const std::vector<std::string> paths = SelectedPaths();
    return paths.size() == 1 ? paths.front() : std::string();
}

void TArchiveList::DeleteSelected() {
    const std::vector<int> rows = view_.SelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const std::string path = folder_ + view_.Caption(*it);
        // The row goes with its file, whatever a refresh of the folder edit then finds.
        if (!folder_.empty() && (::DeleteFileA(path.c_str()) || !FileExists(path))) view_.Delete(*it);
    }
}

std::string ArchiverCommandLine(const std::string& archiver, const std::string& archivePath) {
    if (Trim(archiver).empty()) return std::string();
    std::string program = archiver;
    if (program.front() != '"' && FileExists(program)) program = "\"" + program + "\"";
    return program + " \"" + archivePath + "\"";
}

}  // namespace ostra
