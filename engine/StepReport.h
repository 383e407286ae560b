// What a step of a run did: how many items it copied or kept, which it could not do and why. The
// run's result carries one per step, ostrun's exit status and run record are made from them, and
// the log lines of a failed item say the same.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace ostra {

enum class TFailReason {
    frInUse,               // held open by another program without sharing (or a part of it locked)
    frAccessDenied,        // no permission to read it, or to write the copy
    frNoAnsiName,          // the name has characters the ANSI code page cannot hold
    frTrailingDotOrBlank,  // the name ends in a dot or a blank, which the ANSI calls cut off
    frPathTooLong,         // the path is longer than the step can take (MAX_PATH, 260)
    frDiskFull,            // no room left for the copy
    frIncomplete,          // the copy came out shorter or longer than its source
    frCannotList,          // a folder that could not be listed
    frBadTitle,            // a folder entry whose title would lead out of the base folder
    frNotExported,         // a registry key the editor did not export (missing key, editor failed)
    frExportTimedOut,      // the registry editor did not finish
    frEditorNotStarted,    // the registry editor could not be started
    frQuoteInKey,          // a registry key holding a double quote, which its parameter cannot hold
    frOther                // any other error: Error holds the system's code
};

struct TFailedItem {
    std::string Item;  // the file, folder or key as the log names it ('?' where a name has no ANSI form)
    TFailReason Reason = TFailReason::frOther;
    DWORD Error = 0;  // the system's error code, where there was one
};

struct TStepReport {
    bool Ran = false;    // the step was called
    size_t Copied = 0;   // copied (or exported) by this run
    size_t Kept = 0;     // the copy there is as new as its source: left as it is
    size_t Missing = 0;  // registered, or listed, but not there (any more): nothing to back up
    std::vector<TFailedItem> Failed;

    size_t Done() const { return Copied + Kept; }
    void Fail(std::string item, TFailReason reason, DWORD error = 0) {
        Failed.push_back({std::move(item), reason, error});
    }
};

// The reason for a failed file operation, from the system's error code.
TFailReason FailReasonOf(DWORD error);

// The reason in words, for log lines and the run record ("他のプログラムが使用中", ...).
std::string FailReasonText(TFailReason reason, DWORD error = 0);

// The log line of an item a step could not do: two blanks, the name, what failed ("  →コピー失敗"
// unless said otherwise) and the reason in brackets.
std::string FailureLogLine(const std::string& name, TFailReason reason, DWORD error = 0,
                           const char* what = nullptr);

}  // namespace ostra
