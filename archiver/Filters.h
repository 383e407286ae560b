// The component's own selection of the files to pack: the caller's names are expanded relative to
// a base directory with the options' attribute, recursion, date and exclusion switches, the
// alternate data streams of every selected file are added as entries, and one sorted list of
// entry names comes back. The options are then rewritten so that the library selects nothing
// again by itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "ArchiverApi.h"
#include "ArchiverOptions.h"
#include "FileList.h"

namespace arc {

// A date or time text that is no valid date or time.
class EConvertError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A folder cannot be entered.
class EInOutError : public std::runtime_error {
  public:
    EInOutError(DWORD code, const std::string& what) : std::runtime_error(what), ErrorCode(code) {}
    DWORD ErrorCode;
};

// Names kept sorted and compared without regard to case as the file system does (so "A.TXT" and
// "a.txt" are one name); a name already present is not added again.
class TSortedList {
  public:
    // True when the name was added (it was not present).
    bool Add(const std::string& name);
    bool Contains(const std::string& name) const;
    size_t Count() const { return Items_.size(); }
    bool Empty() const { return Items_.empty(); }
    // The names in sorted order.
    TStrings Items() const;

  private:
    struct TItem {
        std::wstring Key;  // upper-cased UTF-16, compared by code unit
        std::string Name;
        bool operator<(const TItem& other) const { return Key < other.Key; }
    };
    static std::wstring KeyOf(const std::string& name);
    std::set<TItem> Items_;
};

// The progress state reported for every newly selected file.
constexpr UINT kSelectProgressState = 2053;

// Receives (state, progress record, abort flag); setting the flag stops the selection.
using TSelectProgress = std::function<void(UINT state, TProgressRecord* record, bool& abort)>;

// File attribute masks of the search: read-only and archive files, and hidden and system ones too
// when the switch a is 1 or more.
constexpr DWORD kPlainFileMask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;              // 33
constexpr DWORD kAllFileMask = kPlainFileMask | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;  // 39

// Name when Dir is empty, Dir + Name when Dir ends with a path delimiter, else Dir + "\" + Name.
std::string JoinPath(const std::string& dir, const std::string& name);

// A date bound: local time in seconds since 0000-01-01 00:00:00; 0 means open.
using TDateBound = int64_t;

// A jo/job text: an optional leading "l", then YYMMDD or YYYYMMDD, optionally followed by HHMMSS
// (else DefaultTime). Two-digit years fall into the current century. Texts of any other length
// (the unset marker included) give 0; digits that form no valid date or time raise EConvertError.
TDateBound ParseDate(const std::string& text, const std::string& defaultTime);

// A file's last-write time (UTC) on the scale of ParseDate, in whole seconds of local time.
TDateBound FileTimeToDateBound(const FILETIME& utc);

// DestName relative to the directory part of BaseName: unchanged when their drives differ (as for a
// name that is already relative); otherwise the shared leading directories are dropped, one "..\"
// is written for each remaining directory of the base, then the rest of DestName.
std::string ExtractRelativePath(const std::string& baseName, const std::string& destName);

// Adds the temporary stream files of one selected file, with the arguments of AddStreams. The
// selection uses AddStreams itself unless given another (tests give one, Wine having no volume with
// named streams).
using TStreamAdder = std::function<void(TStrings& selected, TStrings& tempFiles, const std::string& fullPath,
                                        const TArchiverOptions& options, const WIN32_FIND_DATAA& foundItem,
                                        const std::string& entryName)>;

// Selects the files to pack. BaseDir (may be empty) is made the current directory for the run and
// the previous current directories are restored afterwards, also after an error. Options are
// rewritten (r := -1, p := 1, jo and job unset). Temporary stream files go to TempFiles, to be
// deleted by the caller after packing, also when this raises; a search that meets one of them again
// passes it by. Progress may be empty.
TStrings SelectFiles(TStrings& tempFiles, TArchiverOptions& options, const std::string& baseDir,
                     const TSelectProgress& progress, const TFileList& files, bool& abort,
                     const TStreamAdder& addStreams = nullptr);

}  // namespace arc
