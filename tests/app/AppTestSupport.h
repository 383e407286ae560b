// Helpers of the window program's tests: the keys of a settings file in their order.
#pragma once

#include <string>
#include <vector>

#include "ListFile.h"
#include "TestSupport.h"

namespace app_test {

// "Section.Key" for every key line of a profile file, in file order.
inline std::vector<std::string> IniKeys(const std::string& path) {
    std::vector<std::string> keys;
    std::string section;
    for (const auto& line : ostra::SplitLines(testing_support::ReadFileBytes(path))) {
        if (!line.empty() && line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else if (auto eq = line.find('='); eq != std::string::npos) {
            keys.push_back(section + "." + line.substr(0, eq));
        }
    }
    return keys;
}

// The keys a first close writes, in the order the profile functions leave them: every new key is
// appended to its section.
inline const std::vector<std::string>& FirstCloseKeys() {
    static const std::vector<std::string> keys = {
        "Option.Top",        "Option.Left",          "Option.Width",
        "Option.Height",     "Option.Index",         "Option.DblClick",
        "Option.Archiver",   "Option.BaseDir",       "Option.ArcDir",
        "Option.Timestamp",  "Option.Archive",       "Option.Lha",
        "Option.ArcName",    "Option.ArcProgress",   "Option.DeleteFiles",
        "Option.DelConfirm", "Option.DelShowDialog", "Option.DelUseRecycleBin",
        "Key.Visible"};
    return keys;
}

}  // namespace app_test
