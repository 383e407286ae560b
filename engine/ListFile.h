// The list files (backup.ini, backfol.ini, backreg.ini): one entry per line, ANSI text.
#pragma once

#include <string>

#include "StringLists.h"

namespace ostra {

// Splits text into lines: a line ends at CR, LF or CR LF; a NUL ends the text; a final line
// break adds no empty entry; empty lines in between stay as empty entries.
TStrings SplitLines(const std::string& text);
// Every entry followed by CR LF.
std::string JoinLines(const TStrings& lines);

// Replaces list with the lines of the file; false (and an empty list) when it cannot be read.
bool LoadList(const std::string& path, TStrings& list);
// Writes the whole list; the old file stays whole when the write fails (error "<path> に書き込めません").
void SaveList(const std::string& path, const TStrings& list);

}  // namespace ostra
