// The rules of the three backup lists that do not need a window: what a new folder entry looks
// like, how the folder settings group reads and writes an entry, which texts backfol.ini cannot
// hold, and the case-blind duplicate test.
#pragma once

#include <string>

#include "StringLists.h"

namespace ostra {

// A backfol.ini line as the folder settings group shows it.
struct TFolderSettings {
    std::string Path;
    std::string Title;
    std::string Filter;
    bool Subfolders = false;
    // The line is of the earlier three-field layout (path, filter, flag): it is shown with the
    // folder's last component as title and is to be rewritten in four fields.
    bool OlderForm = false;
};

TFolderSettings ReadFolderSettings(const std::string& line);

// path,title,filter,1 or 0.
std::string FolderEntryLine(const std::string& path, const std::string& title, const std::string& filter,
                            bool subfolders);

// The title a new entry gets: the last component of the folder (empty for a drive root).
std::string FolderTitle(const std::string& path);
// The line of a newly added folder: path, title, "*.*", no subfolders.
std::string NewFolderEntry(const std::string& path);

// backfol.ini has no quoting: a comma ends its field; and a title names the folder a run copies
// into, so one with \, / or : or of dots alone would be skipped by every run. The message that
// refuses such a text, or empty when the texts can be stored.
std::string FolderPathRefusal(const std::string& path);
std::string FolderSettingsRefusal(const std::string& title, const std::string& filter);

// True when list holds text, letter case ignored (a trailing backslash does not count).
bool ContainsPath(const TStrings& list, const std::string& text);

}  // namespace ostra
