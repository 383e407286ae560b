// Fixed names and texts of the engine: configuration files, keys, defaults and log lines.
#pragma once

namespace ostra {

inline constexpr const char* kIniFile = "ostra.ini";
inline constexpr const char* kFileList = "backup.ini";
inline constexpr const char* kFolderList = "backfol.ini";
inline constexpr const char* kRegistryList = "backreg.ini";

inline constexpr const char* kSectionOption = "Option";
inline constexpr const char* kSectionKey = "Key";

inline constexpr const char* kDefaultFileDir = "backup";
inline constexpr const char* kDefaultRegDir = "backreg";

// Settings files are read through a buffer of this size: at most 1023 bytes of a value are seen.
inline constexpr unsigned kProfileBufferSize = 1024;

inline constexpr const char* kWriteFailed = "%s に書き込めません";

// Log lines of the run steps.
inline constexpr const char* kLogFileHeader = "[ファイルのバックアップ]";
inline constexpr const char* kLogFolderHeader = "[フォルダのバックアップ]";
inline constexpr const char* kLogRegistryHeader = "[レジストリバックアップ]";
inline constexpr const char* kLogBackedUp = "  →バックアップ";
inline constexpr const char* kLogKept = "  →そのまま";
inline constexpr const char* kLogCopyFailed = "  →コピー失敗";
// After the name of a file the archive library cannot be given, before the reason.
inline constexpr const char* kLogNotPacked = "  →書庫に入れられません";
// After the name of a temporary file an ended pack left in the archive folder.
inline constexpr const char* kLogLeftoverRemoved = "  →中断された圧縮の作業ファイルを削除しました";
// After the name of an archive beyond the number to keep, removed after the run (for good, or
// to the recycle bin), or left where it was.
inline constexpr const char* kLogOldArchiveRemoved = "  →古い書庫を削除しました";
inline constexpr const char* kLogOldArchiveRecycled = "  →古い書庫をごみ箱に移しました";
inline constexpr const char* kLogOldArchiveNotRemoved = "  →古い書庫を削除できません";
// A file listed, then gone before its copy: nothing to back up.
inline constexpr const char* kLogVanished = "  →見つかりません";
inline constexpr const char* kLogFolderBusy = "バックアップ中...";
// A folder entry whose title would lead out of the base folder is not run.
inline constexpr const char* kLogBadTitle = "  →このタイトルは使えないため飛ばしました";
// Lines after a registry entry's path line when its export did not come about.
inline constexpr const char* kLogRegNotExported = "    →書き出されませんでした";
inline constexpr const char* kLogRegTimedOut = "    →書き出しが終わらないため打ち切りました";
inline constexpr const char* kLogRegNotStarted = "    →レジストリエディタを起動できません";
inline constexpr const char* kLogRegQuote = "    →キーに \" を含むため飛ばしました";

// The registry editor that exports the registered keys, found through the search path.
inline constexpr const char* kRegistryEditor = "RegEdit.exe";
// A hung editor must not hold up the run (and the archive step after it) for ever.
inline constexpr unsigned kRegExportTimeoutMs = 5 * 60 * 1000;

}  // namespace ostra
