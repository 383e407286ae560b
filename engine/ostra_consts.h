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
inline constexpr const char* kLogFolderBusy = "バックアップ中...";

}  // namespace ostra
