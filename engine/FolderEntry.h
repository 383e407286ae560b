// A line of backfol.ini as a run reads it: folder path, title, filter, subfolder flag.
#pragma once

#include <string>

#include "StringLists.h"

namespace ostra {

struct TFolderEntry {
    std::string Folder;  // with a trailing backslash
    std::string Title;
    std::string Filter;
    bool Subfolders = false;
    TStrings Patterns;  // the filter split into file-name patterns
};

TFolderEntry ParseFolderEntry(const std::string& line);

// Splits a filter into patterns: ";" and "," separate, so do blanks and control characters; an
// item in double quotes may hold blanks (a doubled quote stands for one); two separating commas in
// a row give an empty item.
TStrings SplitPatterns(const std::string& filter);

}  // namespace ostra
