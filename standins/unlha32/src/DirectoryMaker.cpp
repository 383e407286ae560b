#include "DirectoryMaker.h"

#include <windows.h>

#include "SjisPath.h"
#include "UnlhaError.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

DirectoryMaker::~DirectoryMaker() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) ::RemoveDirectoryA(it->c_str());
}

void DirectoryMaker::Ensure(const std::string& path) {
    std::string p = path;
    while (EndsWithBackslash(p) && p.size() > 3) p.pop_back();
    DWORD a = ::GetFileAttributesA(p.c_str());
    if (a != INVALID_FILE_ATTRIBUTES) {
        if (a & FILE_ATTRIBUTE_DIRECTORY) return;
        throw UnlhaError(UNLHA_ERR_WRITE, "同じ名前のファイルがあるためフォルダを作成できません: " + p);
    }
    std::string parent = DirectoryPart(p);
    if (!parent.empty() && parent.size() < p.size() && !(parent.size() <= 3 && parent.back() == ':'))
        Ensure(parent);
    if (!::CreateDirectoryA(p.c_str(), nullptr)) {
        if (::GetLastError() == ERROR_ALREADY_EXISTS) return;
        throw UnlhaError(UNLHA_ERR_WRITE, "フォルダを作成できません: " + p);
    }
    made_.push_back(p);
}

}  // namespace unlha
