#include "TempFile.h"

#include <windows.h>

namespace ostra {

bool DeleteFileAnyway(const std::string& path) {
    if (::DeleteFileA(path.c_str())) return true;
    const DWORD a = ::GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return true;
    if (a & FILE_ATTRIBUTE_DIRECTORY) return false;
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) != 0;
}

TTempFile::~TTempFile() {
    if (Owned_ && !Path_.empty()) DeleteFileAnyway(Path_);
}

bool TTempFile::MoveTo(const std::string& target) {
    if (!::MoveFileExA(Path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    Owned_ = false;
    return true;
}

TTempFileList::~TTempFileList() {
    for (const std::string& p : Paths) DeleteFileAnyway(p);
}

}  // namespace ostra
