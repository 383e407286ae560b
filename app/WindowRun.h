// What the window program adds around the engine's one run: the folder checks before it, with
// their messages, the run marker test, the texts of its log and the notices after it.
#pragma once

#include <string>

#include "BackupRun.h"

namespace ostra {

inline constexpr const char* kBaseFolderTerm = "基準(バックアップ先)フォルダ";
inline constexpr const char* kArchiveFolderTerm = "圧縮先フォルダ";

inline constexpr const char* kLogRunHeader = "バックアップファイル一覧";
inline constexpr const char* kLogStopRule = "---------";
inline constexpr const char* kRunStopped = "バックアップ処理を中止しました。";
inline constexpr const char* kLogRunEnd = "バックアップ終了";
inline constexpr const char* kStopCaption = "バックアップ中止";
inline constexpr int kStopIdleWidth = 23;
inline constexpr int kStopRunningWidth = 120;

// A second backup command while one runs, and a run of another window or of ostrun.
inline constexpr const char* kRunUnderWay = "バックアップ処理の実行中です。";
inline constexpr const char* kAnotherRun =
    "ほかのバックアップ処理（ostrun など）が実行中のため、バックアップを開始できません";

// An empty folder setting, named as the settings page names it.
inline constexpr const char* kBaseFolderUnset = "基準（バックアップ先）フォルダが設定されていません";
inline constexpr const char* kArchiveFolderUnset = "圧縮ファイル保存先フォルダが設定されていません";

// term"folder"が存在しません.
std::string FolderMissingMessage(const std::string& term, const std::string& folder);

// Raises the error of a folder the run cannot use: not set (unsetMessage), missing
// ("…が存在しません"), or not a full path (a run would read it relative to whatever folder the
// program started in).
void CheckRunFolder(const std::string& term, const std::string& folder, const char* unsetMessage);

// True while a run holds the run marker (in this program or in ostrun).
bool AnotherRunUnderWay();

// What a finished run has to tell beyond the lines of its steps, one line each: the archive that
// was asked for and not made, and why (archiveFolder: the folder as the settings name it), and
// the base folder that was to be emptied and was not (the copies stay), old archives that were to
// be removed and stayed. Empty when all went as asked.
TStrings RunNotices(const TRunResult& result, const std::string& archiveFolder);

}  // namespace ostra
