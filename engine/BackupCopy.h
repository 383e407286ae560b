// Copying of one file by the copy steps, with the time-stamp rule and the log line.
#pragma once

#include <string>

namespace ostra {

enum class TCopyOutcome { coCopied, coKept, coFailed };

// Copies source to target (replacing an existing copy, keeping the source's last-write time) when
// the time-stamp option is off or source is newer than target; target is left alone otherwise.
TCopyOutcome BackupOneFile(const std::string& source, const std::string& target, bool timestamp);

// The log line for one file: two blanks, the name, then the outcome.
std::string CopyLogLine(const std::string& name, TCopyOutcome outcome);

}  // namespace ostra
