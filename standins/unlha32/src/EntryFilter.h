// Which archive entries a command means: those matching one of its names (exactly, as a
// wildcard over the whole stored name, or as a folder ending in a backslash with everything
// below it), all of them when no name is given, less those matching a -jx pattern.
#pragma once

#include <string>
#include <vector>

namespace unlha {

class EntryFilter {
  public:
    EntryFilter(const std::vector<std::string>& names, const std::vector<std::string>& excludes);
    bool Selected(const std::string& entryName) const;

  private:
    std::vector<std::string> names_;  // folded, backslash separators
    const std::vector<std::string>& excludes_;
};

}  // namespace unlha
