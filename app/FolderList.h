// The registered folders: the lines of backfol.ini (the form's FolderEntries) together with the
// list box that shows each line's folder path (ListFol). One owner changes both, so that row i of
// the list box is always the folder of line i, also in sorted mode and for every row added later:
// a folder's settings never attach to another folder.
#pragma once

#include <string>

#include "ListBox.h"
#include "StringLists.h"

namespace ostra {

class TFolderList {
  public:
    explicit TFolderList(widgets::TListBox& view) : view_(view) {}
    TFolderList(const TFolderList&) = delete;
    TFolderList& operator=(const TFolderList&) = delete;

    // The lines in row order, as backfol.ini stores them and a run reads them.
    const TStrings& Lines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Line(int row) const { return lines_.at(static_cast<size_t>(row)); }
    // The folder path of a row: the line's first field, the text the list box shows.
    static std::string PathOf(const std::string& line);
    std::string Path(int row) const { return PathOf(Line(row)); }

    // Replaces every row; in sorted mode the rows are put in order.
    void Assign(const TStrings& lines);
    // Appends the line or, in sorted mode, puts it in its place; returns its row.
    int Add(const std::string& line);
    // The row's settings: its path stays, so the row keeps its place.
    void Update(int row, const std::string& title, const std::string& filter, bool subfolders);
    void Delete(int row);
    void Clear();

    // Sorted mode: the rows are ordered by folder path at once (letter case ignored, rows of one
    // path in the order they had), and every later row goes to its place.
    void Sort();
    bool Sorted() const { return sorted_; }

  private:
    int SortedPlace(const std::string& path) const;
    widgets::TListBox& view_;
    TStrings lines_;
    bool sorted_ = false;
};

}  // namespace ostra
