#include "EntryFilter.h"

#include "PackSelection.h"
#include "SjisPath.h"

namespace unlha {

EntryFilter::EntryFilter(const std::vector<std::string>& names, const std::vector<std::string>& excludes)
    : excludes_(excludes) {
    for (const std::string& n : names) names_.push_back(FoldName(ToBackslashes(n)));
}

bool EntryFilter::Selected(const std::string& entryName) const {
    if (MatchesExclusion(excludes_, entryName)) return false;
    if (names_.empty()) return true;
    std::string key = FoldName(entryName);
    for (const std::string& n : names_) {
        if (n == key) return true;
        if (EndsWithBackslash(n)) {
            if (key.compare(0, n.size(), n) == 0) return true;
            if (key + "\\" == n) return true;
        } else if (HasWildcard(n) && WildcardMatch(n, key)) {
            return true;
        }
    }
    return false;
}

}  // namespace unlha
