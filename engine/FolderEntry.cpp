#include "FolderEntry.h"

#include "TextRoutines.h"

namespace ostra {

namespace {
bool IsBlank(char c) {
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}
// A character of an unquoted pattern: blanks, control characters and commas end it.
bool IsPatternChar(char c) {
    return static_cast<unsigned char>(c) > ' ' && c != ',';
}
}  // namespace

TStrings SplitPatterns(const std::string& filter) {
    std::string s = filter;
    for (char& c : s)
        if (c == ';') c = ',';  // no trail byte of code page 932 is below 0x40, so this is safe
    TStrings items;
    size_t i = 0;
    const size_t n = s.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(s[i])) ++i;
    };
    skipBlanks();
    while (i < n && s[i] == ',') {  // leading separators are skipped
        ++i;
        skipBlanks();
    }
    while (i < n) {
        std::string item;
        if (s[i] == '"') {
            ++i;
            while (i < n) {
                if (s[i] == '"') {
                    if (i + 1 < n && s[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += s[i++];
            }
        } else {
            size_t start = i;
            while (i < n && IsPatternChar(s[i])) ++i;
            item.assign(s, start, i - start);
        }
        items.push_back(item);
        skipBlanks();
        if (i < n && s[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
    return items;
}

TFolderEntry ParseFolderEntry(const std::string& line) {
    TFolderEntry e;
    std::string rest = line;
    e.Folder = AddBackslash(GetToken(rest, ",", 0));
    e.Title = GetToken(rest, ",", 0);
    e.Filter = GetToken(rest, ",", 0);
    e.Subfolders = Trim(rest) == "1";
    e.Patterns = SplitPatterns(e.Filter);
    return e;
}

}  // namespace ostra
