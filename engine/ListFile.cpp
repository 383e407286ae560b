#include "ListFile.h"

#include <stdexcept>

#include "FileSystem.h"
#include "SettingsFile.h"
#include "ostra_consts.h"

namespace ostra {

TStrings SplitLines(const std::string& text) {
    TStrings lines;
    size_t end = text.find('\0');
    if (end == std::string::npos) end = text.size();
    size_t i = 0;
    while (i < end) {
        size_t start = i;
        while (i < end && text[i] != '\r' && text[i] != '\n') ++i;
        lines.emplace_back(text, start, i - start);
        if (i < end) i += (text[i] == '\r' && i + 1 < end && text[i + 1] == '\n') ? 2 : 1;
    }
    return lines;
}

std::string JoinLines(const TStrings& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += "\r\n";
    }
    return text;
}

bool LoadList(const std::string& path, TStrings& list) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        list.clear();
        return false;
    }
    list = SplitLines(text);
    return true;
}

void SaveList(const std::string& path, const TStrings& list) {
    if (!WriteFileAtomically(path, JoinLines(list))) {
        throw WriteFailedError(path);
    }
}

}  // namespace ostra
