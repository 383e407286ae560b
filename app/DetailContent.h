// What the detail window shows, as plain data: a file's text (a bounded prefix), the files a
// folder entry would back up, a registry key's value rows and an archive's entry rows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "RegistryTreeView.h"
#include "StringLists.h"

namespace ostra {

// A name and its data, one row of the detail window's list.
using TDetailRows = std::vector<std::pair<std::string, std::string>>;

// At most this much of a file is read for its text: the window is a glance, not a viewer.
inline constexpr size_t kPreviewLimit = 1024 * 1024;
inline constexpr const char* kPreviewCut = "（ファイルが大きいため、先頭の 1MB だけを表示しています）";

// The lines of the file's first limit bytes (never a half character at the cut), followed by
// kPreviewCut when the file is longer. Raises "ファイル"<path>"を読み込めません" when it cannot be read.
TStrings ReadFilePreview(const std::string& path, size_t limit = kPreviewLimit);

// The files a run would copy for a folder entry: the filter's patterns (";" read as ","), split as
// a run splits them, each in turn collected from folder (with its subfolders when asked), leaving
// out the folders of leaveOut as a run does. A folder that is no full path yields nothing.
TStrings FolderPreview(const std::string& folder, const std::string& filter, bool subfolders,
                       const TStrings& leaveOut = {});

inline constexpr const char* kUnreadableValue = "(値を読み取れません)";

// The values of node's key, sorted by name without regard to letter case: "(標準)" with
// "(値の設定無し)" first when the key has no default value, strings between double quotes,
// integers in decimal, binary data as " - binary data - ", other kinds with empty data, and
// kUnreadableValue for a value that cannot be read.
TDetailRows RegistryValueRows(TRegistryTreeView& tree, TTreeNode node);

// The entries of an archive: the name as stored and the compressed size + " byte", sorted by
// name. Nothing when the library cannot open the archive; a missing library raises its error.
TDetailRows ArchiveEntryRows(HWND owner, const std::string& archivePath);

}  // namespace ostra
