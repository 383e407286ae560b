#include "FolderList.h"

#include <algorithm>

#include "BackupLists.h"
#include "TextRoutines.h"

namespace ostra {

std::string TFolderList::PathOf(const std::string& line) {
    std::string rest = line;
    return CutToken(rest, ",");
}

int TFolderList::SortedPlace(const std::string& path) const {
    // After the last row that does not sort after it.
    auto at = std::upper_bound(lines_.begin(), lines_.end(), path,
                               [](const std::string& p, const std::string& line) {
                                   return widgets::CompareListText(p, PathOf(line)) < 0;
                               });
    return static_cast<int>(at - lines_.begin());
}

void TFolderList::Assign(const TStrings& lines) {
    lines_ = lines;
    if (sorted_)
        std::stable_sort(lines_.begin(), lines_.end(), [](const std::string& a, const std::string& b) {
            return widgets::CompareListText(PathOf(a), PathOf(b)) < 0;
        });
    TStrings paths;
    paths.reserve(lines_.size());
    for (const auto& line : lines_) paths.push_back(PathOf(line));
    view_.SetItems(paths);
}

int TFolderList::Add(const std::string& line) {
    const std::string path = PathOf(line);
    const int row = sorted_ ? SortedPlace(path) : Count();
    lines_.insert(lines_.begin() + row, line);
    view_.Insert(row, path);
    return row;
}

void TFolderList::Update(int row, const std::string& title, const std::string& filter, bool subfolders) {
    lines_.at(static_cast<size_t>(row)) = FolderEntryLine(Path(row), title, filter, subfolders);
}

void TFolderList::Delete(int row) {
    if (row < 0 || row >= Count()) return;
    lines_.erase(lines_.begin() + row);
    view_.Delete(row);
}

void TFolderList::Clear() {
    lines_.clear();
    view_.Clear();
}

void TFolderList::Sort() {
    sorted_ = true;
    Assign(TStrings(lines_));
}

}  // namespace ostra
