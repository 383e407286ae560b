#include "WindowRun.h"

#include <windows.h>

#include <stdexcept>

#include "FileSystem.h"
#include "WinHandles.h"

namespace ostra {

std::string FolderMissingMessage(const std::string& term, const std::string& folder) {
    return term + "\"" + folder + "\"が存在しません";
}

void CheckRunFolder(const std::string& term, const std::string& folder) {
    if (!DirectoryExists(folder)) throw std::runtime_error(FolderMissingMessage(term, folder));
    if (ResolvedRunFolder(folder).empty())
        throw std::runtime_error(term + "\"" + folder +
                                 "\"はドライブ名から始まる完全なパスで指定してください");
}

bool AnotherRunUnderWay() {
    const KernelHandle marker(::OpenMutexA(SYNCHRONIZE, FALSE, kRunMarkerName));
    return static_cast<bool>(marker);
}

std::string RunNotice(const TRunResult& r) {
    switch (r.Emptying) {
        case TRunResult::emNoArchive:
            return r.Archive.Outcome == TArchiveResult::arNothingToPack
                       ? std::string()
                       : "書庫が作成されなかったため、基準フォルダ内のファイルは削除しませんでした";
        case TRunResult::emUnsafe:
            return "基準フォルダ内にバックアップ元、プログラムのフォルダまたは圧縮先フォルダがあるため、"
                   "基準フォルダ内のファイルは削除しませんでした";
        case TRunResult::emArchiveUnsound:
            return "作成した書庫を読み戻せなかったため、基準フォルダ内のファイルは削除しませんでした";
        default:
            return std::string();
    }
}

}  // namespace ostra
