#include "TempFile.h"

#include <windows.h>

#include <utility>

#include "SjisPath.h"
#include "UnlhaError.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

TempFile::TempFile(const std::string& folder) {
    char buf[MAX_PATH];
    std::string dir = folder.empty() ? std::string(".") : folder;
    if (!::GetTempFileNameA(dir.c_str(), "ulh", 0, buf))
        throw UnlhaError(UNLHA_ERR_WRITE, "作業ファイルを作成できません: " + AddBackslash(dir));
    path_ = buf;
}

TempFile::~TempFile() {
    if (!owned_ || path_.empty()) return;
    if (!::DeleteFileA(path_.c_str())) {
        // A file moved aside keeps its attributes, and a read-only one refuses to go.
        ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(path_.c_str());
    }
}

TempFile::TempFile(TempFile&& o) noexcept
    : path_(std::move(o.path_)), owned_(std::exchange(o.owned_, false)) {}

bool TempFile::MoveTo(const std::string& target, bool writeThrough) {
    DWORD attrs = ::GetFileAttributesA(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesA(target.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    DWORD flags = MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
    if (!::MoveFileExA(path_.c_str(), target.c_str(), flags)) {
        DWORD error = ::GetLastError();
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesA(target.c_str(), attrs);
        ::SetLastError(error);
        return false;
    }
    owned_ = false;
    return true;
}

void TempFile::Commit(const std::string& target, bool writeThrough) {
    if (!MoveTo(target, writeThrough))
        throw UnlhaError(UNLHA_ERR_WRITE, "ファイルを置き換えられません: " + target);
}

}  // namespace unlha
