// The record of unattended runs, ostrun.log in the program folder: ostrun appends the log lines of
// each run and a closing line (start and end time, exit status, counts, the archive made, what was
// left out); the window program reads the last run back from it.
//
// The file is ANSI text with CR LF line ends. Each run writes, in two appends:
//   #ostrun 開始 2005/03/02 09:05:00 pid=1234              when it starts
//   #ostrun 記録 pid=1234                                   when it ends, in one append:
//   <the run's log lines; a line that would begin with '#' gets a blank in front>
//   #ostrun 失敗 <item>: <reason>                            the first kRunRecordFailures failures
//   #ostrun 終了 2005/03/02 09:06:10 pid=1234 終了コード=2 ファイル=12/1 フォルダ=300/2 レジストリ=3/0
//   書庫=2005_0302_0905.lzh 結果=<text>
// Counts are done/failed; 書庫= is empty when no archive was made; 結果= runs to the end of the line.
// A start with no record after it is a run still under way or one that ended without a word
// (ended by force, a crash, power lost). A write cut short leaves at most an unterminated last
// line, which readers ignore and the next writer ends first. Past kRunRecordLimit bytes the
// oldest runs are dropped, the file rewritten whole through a temporary file and a rename.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "BackupRun.h"
#include "StringLists.h"

namespace ostra {

inline constexpr const char* kRunRecordFile = "ostrun.log";
inline constexpr size_t kRunRecordLimit = 1u << 20;       // the file is trimmed when it grows past this
inline constexpr size_t kRunRecordKeep = 3u << 18;        // ...to the newest runs within this (768 KiB)
inline constexpr size_t kRunRecordLinesLimit = 1u << 18;  // log lines of one run kept (256 KiB)
inline constexpr size_t kRunRecordFailures = 20;          // failure lines of one run kept

struct TRecordCounts {
    size_t Done = 0, Failed = 0;
};

struct TRunRecord {
    SYSTEMTIME Start{}, End{};  // local times; End is zero while not Finished
    unsigned long ProcessId = 0;
    // The closing line is there. False: the run is still under way (the run marker exists) or it
    // ended without writing its record.
    bool Finished = false;
    int ExitStatus = -1;  // 0 all done, 1 ended on an error, 2 finished but left something out
    TRecordCounts Files, Folders, Registry;
    std::string Archive;  // file name of the archive the run made; empty when none
    std::string Outcome;  // "すべて完了しました", what was left out, or the error
    TStrings Failures;    // the first failures, "<item>: <reason>"
    TStrings Lines;       // the run's log lines
};

// ostrun.log in the program folder (appDir ends with a backslash).
std::string RunRecordPath(const std::string& appDir);

// The record of a run that ended (Finished, with exitStatus) or ended on an error (exitStatus 1,
// error holds its message), from its result and log lines.
TRunRecord RecordOfRun(const TRunResult& result, const TStrings& lines, int exitStatus,
                       const std::string& error, const SYSTEMTIME& start, const SYSTEMTIME& end,
                       unsigned long processId);

// Appends the start line. False when the file cannot be written (the run goes on regardless).
bool AppendRunStart(const std::string& path, const SYSTEMTIME& start, unsigned long processId);
// Appends the run's block in one write, then trims the file when it has grown past the limit.
bool AppendRunRecord(const std::string& path, const TRunRecord& record);

// The text of a run's block as AppendRunRecord writes it (its log lines cut to
// kRunRecordLinesLimit bytes, its failures to kRunRecordFailures).
std::string RunRecordText(const TRunRecord& record);

// Reads the last run of the file: the last start line and, when there, its record. False when the
// file is missing or holds no run.
bool ReadLastRunRecord(const std::string& path, TRunRecord& record);

}  // namespace ostra
