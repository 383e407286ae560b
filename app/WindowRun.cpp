#include "WindowRun.h"

#include <windows.h>

#include <stdexcept>

#include "FileSystem.h"
#include "WinHandles.h"

namespace ostra {

std::string FolderMissingMessage(const std::string& term, const std::string& folder) {
    return term + "\"" + folder + "\"が存在しません";
}

void CheckRunFolder(const std::string& term, const std::string& folder, const char* unsetMessage) {
    if (folder.empty()) throw std::runtime_error(unsetMessage);
    if (!DirectoryExists(folder)) throw std::runtime_error(FolderMissingMessage(term, folder));
    if (ResolvedRunFolder(folder).empty())
        throw std::runtime_error(term + "\"" + folder +
                                 "\"はドライブ名から始まる完全なパスで指定してください");
}

bool AnotherRunUnderWay() {
    const KernelHandle marker(::OpenMutexA(SYNCHRONIZE, FALSE, kRunMarkerName));
    return static_cast<bool>(marker);
}

TStrings RunNotices(const TRunResult& r, const std::string& archiveFolder) {
    TStrings notices;
    switch (r.ArchiveStep) {
        case TRunResult::asNoArchiveFolder:
            notices.push_back(FolderMissingMessage(kArchiveFolderTerm, archiveFolder) +
                              "ため、書庫は作成しませんでした（コピーは済んでいます）");
            break;
        case TRunResult::asArchiveFolderInBase:
            notices.emplace_back(
                "圧縮先フォルダが基準フォルダの中にあるため、書庫は作成しませんでした（コピーは済んでいます"
                "）");
            break;
        case TRunResult::asRan:
            if (r.Archive.Outcome == TArchiveResult::arFailed)
                notices.emplace_back("書庫を作成できませんでした（圧縮処理が中止されたか、失敗しました）");
            break;
        default:
            break;
    }
    switch (r.Emptying) {
        case TRunResult::emNoArchive:
            if (r.Archive.Outcome != TArchiveResult::arNothingToPack)
                notices.emplace_back(
                    "書庫が作成されなかったため、基準フォルダ内のファイルは削除しませんでした");
            break;
        case TRunResult::emUnsafe:
            notices.emplace_back(
                "基準フォルダ内にバックアップ元、プログラムのフォルダまたは圧縮先フォルダがあるため、"
                "基準フォルダ内のファイルは削除しませんでした");
            break;
        case TRunResult::emArchiveUnsound:
            notices.emplace_back(
                "作成した書庫を読み戻せなかったため、基準フォルダ内のファイルは削除しませんでした");
            break;
        default:
            break;
    }
    if (r.Pruning == TRunResult::prArchiveUnsound)
        notices.emplace_back("作成した書庫を読み戻せなかったため、古い書庫は削除しませんでした");
    if (!r.ArchivesNotRemoved.empty())
        notices.push_back("古い書庫 " + std::to_string(r.ArchivesNotRemoved.size()) +
                          " 個を削除できませんでした");
    return notices;
}

}  // namespace ostra
