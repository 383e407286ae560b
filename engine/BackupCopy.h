// Copying of one file by the copy steps, with the time-stamp rule and the log line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ExtStrms.h"
#include "StepReport.h"

namespace ostra {

// coMissing: the source is not there (any more); nothing was touched.
enum class TCopyOutcome { coCopied, coKept, coFailed, coMissing };

struct TCopyResult {
    TCopyOutcome Outcome = TCopyOutcome::coFailed;
    TFailReason Reason = TFailReason::frOther;  // when coFailed
    DWORD Error = 0;                            // the system's code, when coFailed
};

// Appended to a copy's final name while it is written beside an old copy, in the same folder. A
// file of that name in the base folder is a cut copy of a run that ended during the copy.
inline constexpr const wchar_t* kCopyTempSuffix = L".~pelmira-copy";

// The copies of one step. A copy is made when the time-stamp option is off or the source is newer
// than the copy there; the old copy is left alone otherwise. A copy cut short (a full disk, an
// error, the process ended) never stays under the final name, and an old copy stays, with its
// time, until the new one is complete and as long as its source:
// - no copy there yet: the new one is written under its final name, marked for deletion until it
//   is complete, so that the system removes it when the process ends first;
// - an old copy there: the new one is written under a temporary name beside it (kCopyTempSuffix),
//   marked likewise, and renamed over the old one once complete.
// Between making a new copy and marking it there is a moment in which an ended process leaves an
// empty file under the final name: an empty copy of a source that is not empty is therefore
// always made again, whatever its time. The copy keeps the source's last-write time and
// attributes. A source with named streams, on a
// volume that has them (both sides), is copied with its streams by the system's copy into the
// temporary name instead.
class TCopier {
  public:
    // query: the volume flags, asked once per drive (a test may give its own; Wine reports no
    // volume with named streams).
    explicit TCopier(arc::TVolumeFlagsQuery query = nullptr) : Volumes_(std::move(query)) {}

    // source and target: full wide paths, any length. known, when given, holds the source's
    // attributes, times and size as a listing found them (saving a query).
    TCopyResult Copy(const std::wstring& source, const std::wstring& target, bool timestamp,
                     const WIN32_FILE_ATTRIBUTE_DATA* known = nullptr);

  private:
    bool StreamsOn(const std::wstring& longPath);
    bool MayHaveStreams(const std::wstring& from, const std::wstring& to);

    arc::TStreamVolumes Volumes_;
    std::vector<std::pair<std::wstring, bool>> Drives_;  // the answers per drive or share
    std::vector<char> Buffer_;
};

// The copy with named streams: the system's copy into the temporary name beside target, renamed
// over the old copy once complete and as long as its source (also the route of TCopier for
// sources with named streams). Full wide paths with the long-path prefix.
TCopyResult CopyWithStreams(const std::wstring& from, const std::wstring& to);

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
