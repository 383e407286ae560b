// The last unattended run (ostrun.log), as the window tells of it: once, at start, when it did not
// finish cleanly, and on request in the detail window's text for the settings page. Plain functions
// over the run record and ostra.ini, so that the choice and the texts can be tested without a window.
//
// What was shown is remembered in ostra.ini, [LastRun] Shown, as the run's start time and process id
// ("2005/03/02 09:05:00 pid=1234", as its start line names it). The mark is written at once, before
// the box is shown: a window that crashes with the box open does not show it again, and neither the
// closing write (which writes other sections) nor a project (whose settings live in its own archive)
// touches it. The last start line of ostrun.log is always the newest run, so a run is "newer than the
// one shown" exactly when it is not the one marked; a configuration without the mark has shown none.
#pragma once

#include <string>

#include "RunRecord.h"
#include "StringLists.h"

namespace ostra {

inline constexpr const char* kLastRunSection = "LastRun";
inline constexpr const char* kLastRunShownKey = "Shown";

// Longest outcome or failure text a notice quotes (bytes): the box stays a few lines high.
inline constexpr size_t kNoticeQuoteLimit = 160;

// The mark of a run: its start time and process id.
std::string RunMark(const TRunRecord& record);

// The run ended and said so, with exit status 0. A run with a start and no end (ended by force, a
// crash, power lost) did not.
bool RunEndedCleanly(const TRunRecord& record);

// The window tells of this run: it did not end cleanly, it is not the one marked as shown, and it is
// not still under way (runUnderWay: a run holds the run marker now; a run with no end yet is then
// taken as that one and told of at a later start, once it has ended).
bool NeedsLastRunNotice(const TRunRecord& record, const std::string& shownMark, bool runUnderWay);

// The notice: when the run started, what went wrong in a line or two, and where the rest is.
std::string LastRunNoticeText(const TRunRecord& record, const std::string& recordPath);

// At start: reads the last run of appDir's ostrun.log and ostra.ini's mark; when the run needs a
// notice, marks it as shown and returns the notice's text, else an empty text. A missing, unreadable
// or damaged ostrun.log gives nothing; this never raises (the start goes on regardless).
std::string TakeLastRunNotice(const std::string& appDir, bool runUnderWay);

// The detail window's text for the settings page: a summary of the last run, its log lines and its
// failures; one line saying there is no record when the file is missing or holds no run.
TStrings LastRunDetailLines(const std::string& recordPath);

}  // namespace ostra
