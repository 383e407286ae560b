// Which files a pack command takes: the named files relative to the base folder, wildcards
// expanded (into subfolders with -r1), named folders (their whole tree with -r2), less what
// -jx leaves out. Files that are not there are noted, not fatal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "Command.h"

namespace unlha {

struct PackItem {
    std::string storedName;  // name inside the archive, backslash separators
    std::string diskPath;    // full path of the file on disk
    bool isDirectory = false;
    WIN32_FIND_DATAA data{};  // attributes, times and size as found
};

class PackSelection {
  public:
    // baseDir ends with a backslash. archivePath (full) is never selected.
    PackSelection(const Command& cmd, const std::string& baseDir, const std::string& archivePath);

    const std::vector<PackItem>& Items() const { return items_; }
    // Names given that matched nothing on disk.
    const std::vector<std::string>& Missing() const { return missing_; }

  private:
    void AddName(const std::string& name);
    void Walk(const std::string& dirRel, const std::string& mask, int depthRule, bool addDirs);
    void Add(const std::string& relative, const std::string& diskPath, const WIN32_FIND_DATAA& fd);
    std::string StoredName(const std::string& relative) const;
    bool Excluded(const std::string& stored) const;

    const Command& cmd_;
    std::string base_;
    std::string archiveKey_;
    std::vector<PackItem> items_;
    std::unordered_set<std::string> keys_;  // folded stored names, to drop duplicates
    std::vector<std::string> missing_;
};

// True when stored matches one of the -jx patterns (whole name, or last part for patterns
// without a folder).
bool MatchesExclusion(const std::vector<std::string>& patterns, const std::string& stored);

}  // namespace unlha
