// The archive page's list: the *.lzh files of the archive folder, one row per archive, and the
// folder they were listed from. Every command on a row builds its path from that folder, not
// from what the folder edit says now, so that a delete never reaches a file of the same name in
// another folder.
#pragma once

#include <string>
#include <vector>

#include "GdiHandles.h"
#include "ListView.h"

namespace ostra {

class TArchiveList {
  public:
    explicit TArchiveList(widgets::TListView& view) : view_(view) {}
    TArchiveList(const TArchiveList&) = delete;
    TArchiveList& operator=(const TArchiveList&) = delete;

    // Lists the archives of folder (hidden files and folders left out), sorted by name, and
    // remembers the folder with its trailing backslash. When folder does not exist nothing is
    // listed and false returned: the rows stay, unless the folder they came from is gone too.
    bool Refresh(const std::string& folder);
    // The folder of the rows, with a trailing backslash; empty while nothing was listed.
    const std::string& Folder() const { return folder_; }

    // Folder() + the name of each selected row, first to last.
    std::vector<std::string> SelectedPaths() const;
    // The path of the one selected row; empty unless exactly one row is selected.
    std::string SingleSelectedPath() const;
    // Deletes the files of the selected rows at once (no question, no recycle bin), from the
    // last row to the first, and the rows of the files deleted; a file that cannot be deleted is
    // passed over and its row stays.
    void DeleteSelected();

  private:
    void ForgetFolder();
    widgets::TListView& view_;
    std::string folder_;
    // One icon, the shell's for the first archive listed, serves every row.
    widgets::ImageListHandle icons_;
};

// The command line that opens an archive with the user's archiver: the archiver text, a blank and
// the archive in double quotes. A text that is as a whole the path of an existing program is put
// in quotes too (a path with blanks would otherwise start another program); a text with its own
// quotes or arguments is used as it stands. Empty when no archiver is set.
std::string ArchiverCommandLine(const std::string& archiver, const std::string& archivePath);

}  // namespace ostra
