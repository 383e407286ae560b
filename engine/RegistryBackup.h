// The third step of a run: the registry editor exports every registered key into a .reg file of
// the registry subfolder.
#pragma once

#include <string>

#include "LogAndStop.h"
#include "StepReport.h"

namespace ostra {

// Exports the keys in list order, one editor process at a time: each export is waited for (at
// most kRegExportTimeoutMs), so that the archive step after this one finds every file complete.
// A key that was not exported is logged and counted with its reason.
TStepReport BackupRegistry(const std::string& destination, const TStrings& entries, TLog log,
                           const TCheckStopEvent& checkStop);

// The root tag of an export file name, from the key's characters 6-7 and then 6-14 (counting
// from 1, letter case significant): "_classes", "_local", "_useres", "_dyn_data", "_current",
// "_config", or empty.
std::string RegistryRootSuffix(const std::string& key);

// The export file's name: the key's last component (after its last backslash or colon) with
// every character a file name cannot hold made "_", then the root tag and ".reg".
std::string RegistryExportName(const std::string& key);

// The editor's parameters: /E "file" "key".
std::string RegistryExportParameters(const std::string& file, const std::string& key);

enum class TRunWait { rwFinished, rwNotStarted, rwTimedOut };

// Starts program through the shell (verb "Open", no owner window, empty working folder, window
// hidden) and waits up to timeoutMs for it to end. A program still running then is ended.
TRunWait RunHiddenAndWait(const std::string& program, const std::string& parameters, unsigned timeoutMs);

}  // namespace ostra
