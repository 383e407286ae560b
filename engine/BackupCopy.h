// Copying of one file by the copy steps, with the time-stamp rule and the log line.
#pragma once

#include <windows.h>

#include <string>

#include "StepReport.h"

namespace ostra {

// coMissing: the source is not there (any more); nothing was touched.
enum class TCopyOutcome { coCopied, coKept, coFailed, coMissing };

struct TCopyResult {
    TCopyOutcome Outcome = TCopyOutcome::coFailed;
    TFailReason Reason = TFailReason::frOther;  // when coFailed
    DWORD Error = 0;                            // the system's code, when coFailed
};

// Appended to a copy's final name while it is being written, in the same folder. A file of that
// name in the base folder is a cut copy of a run that was ended during the copy.
inline constexpr const wchar_t* kCopyTempSuffix = L".~pelmira-copy";
inline constexpr const char* kCopyTempSuffixAnsi = ".~pelmira-copy";

// Copies source to target (full wide paths, any length) when the time-stamp option is off or
// source is newer than target; target is left alone otherwise. The copy is written under a
// temporary name beside target (kCopyTempSuffix) and renamed over the old copy only once it is
// complete and as long as its source: a copy cut short by a full disk, an error or the end of the
// process never carries the final name, and the old copy stays, with its time, when the new one
// fails. The copy keeps the source's last-write time and attributes, and its named streams where
// the volume has them. known, when given, holds the source's attributes, times and size as a
// listing found them (saving a query).
TCopyResult CopyToBase(const std::wstring& source, const std::wstring& target, bool timestamp,
                       const WIN32_FILE_ATTRIBUTE_DATA* known = nullptr);

// Makes the folder (a full wide path) with every missing level above it; true when it exists
// afterwards.
bool MakeFolders(const std::wstring& folder);

// The log line for one file: two blanks, the name, then the outcome (with its reason when the
// copy failed).
std::string CopyLogLine(const std::string& name, const TCopyResult& result);
std::string CopyLogLine(const std::string& name, TCopyOutcome outcome);

// Counts the result in the step's report (a failed item under name).
void CountCopy(TStepReport& report, const std::string& name, const TCopyResult& result);

}  // namespace ostra
