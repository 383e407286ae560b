#include "CommandLineParser.h"

#include <windows.h>

#include <array>
#include <cctype>
#include <optional>

#include "SjisPath.h"
#include "UnlhaError.h"
#include "Win32Handle.h"
#include "unlha32/UnlhaResult.h"

namespace unlha {

namespace {

struct Item {
    std::string text;
    bool quoted = false;
};

// Splits at blanks outside quotes; quotes are removed and may appear inside an item.
std::vector<Item> Tokenize(std::string_view line) {
    std::vector<Item> items;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n'))
            ++i;
        if (i >= line.size()) break;
        Item item;
        bool inQuotes = false;
        bool any = false;
        while (i < line.size()) {
            char c = line[i];
            if (::IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < line.size()) {
                item.text.append(line.substr(i, 2));
                i += 2;
                any = true;
                continue;
            }
            if (c == '"') {
                inQuotes = !inQuotes;
                item.quoted = true;
                any = true;
                ++i;
                continue;
            }
            if (!inQuotes && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) break;
            item.text += c;
            any = true;
            ++i;
        }
        if (any) items.push_back(std::move(item));
    }
    return items;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The number that follows a switch name: empty means 1; anything that is not digits: nullopt.
std::optional<int> SwitchValue(const std::string& rest) {
    if (rest.empty()) return 1;
    if (rest.size() > 3) return std::nullopt;
    int v = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

bool WordTakesDirectory(const std::string& w) {
    return w == "u" || w == "a" || w == "f" || w == "x" || w == "e" || w == "s";
}

// Words whose names select files on disk, relative to the base folder.
bool WordTakesFilesFromDisk(const std::string& w) {
    return w == "u" || w == "a" || w == "f";
}

bool KnownWord(const std::string& w) {
    static const std::array<const char*, 8> kWords = {"u", "a", "f", "d", "x", "e", "t", "s"};
    for (const char* k : kWords)
        if (w == k) return true;
    return false;
}

}  // namespace

void CommandLineParser::ApplySwitch(const std::string& item, Switches& s) {
    std::string body = item.substr(1);
    std::string lower = Lower(body);
    auto starts = [&](const char* p) { return lower.rfind(p, 0) == 0; };
    if (starts("jx")) {
        if (body.size() > 2) s.excludes.push_back(ToBackslashes(body.substr(2)));
        return;
    }
    if (starts("jso") || starts("jse") || lower == "+" || starts("p")) {
        s.ignored.push_back(item);
        return;
    }
    if (starts("jm")) {
        std::optional<int> v = SwitchValue(body.substr(2));
        if (v && *v == 0)
            s.method = lha::Method::Lh0;
        else if (v && (*v == 1 || *v == 2))
            s.method = lha::Method::Lh5;
        else if (v && *v == 3)
            s.method = lha::Method::Lh6;
        else if (v && *v == 4)
            s.method = lha::Method::Lh7;
        else
            s.ignored.push_back(item);
        return;
    }
    if (starts("w")) {
        s.workDir = body.substr(1);
        return;
    }
    if (body.empty() || starts("j") || starts("g")) {
        s.ignored.push_back(item);
        return;
    }
    std::optional<int> v = SwitchValue(body.substr(1));
    if (!v) {
        s.ignored.push_back(item);
        return;
    }
    switch (lower[0]) {
        case 'a':
            s.attributes = *v;
            break;
        case 'n':
            s.showDialog = *v == 0;
            break;
        case 'x':
            s.keepPaths = *v != 0;
            break;
        case 'r':
            s.recurse = *v;
            break;
        case 'z':
            if (*v != 0) s.method = lha::Method::Lh0;
            break;
        case 'h':
            if (*v <= 2)
                s.headerLevel = *v;
            else
                s.ignored.push_back(item);
            break;
        default:
            s.ignored.push_back(item);
            break;
    }
}

void CommandLineParser::ReadResponseFile(const std::string& path, std::vector<std::string>& names) {
    FileHandle f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    if (!f) throw UnlhaError(UNLHA_ERR_RESPONSE_FILE, "レスポンスファイルを読めません: " + path);
    LARGE_INTEGER size;
    // A list of names; anything near this size is not one.
    if (!::GetFileSizeEx(f.get(), &size) || size.QuadPart > 64LL * 1024 * 1024)
        throw UnlhaError(UNLHA_ERR_RESPONSE_FILE, "レスポンスファイルを読めません: " + path);
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!text.empty() && (!::ReadFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr) ||
                          got != text.size()))
        throw UnlhaError(UNLHA_ERR_RESPONSE_FILE, "レスポンスファイルを読めません: " + path);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        // One name per line: quotes around it are dropped, blanks inside a name are kept.
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        std::size_t lead = line.find_first_not_of(" \t");
        if (lead == std::string::npos) continue;
        line.erase(0, lead);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        if (!line.empty()) names.push_back(line);
    }
}

bool CommandLineParser::IsResponseFile(const Command& cmd, const std::string& item) {
    if (WordTakesFilesFromDisk(cmd.word)) {
        // A file or folder of that name in the base folder is what the caller means.
        WIN32_FIND_DATAA fd;
        FindHandle found(::FindFirstFileA((FolderOrCurrent(cmd.directory) + item).c_str(), &fd));
        return !found;
    }
    // The names are entries of the archive, which the parser cannot see: a response file that
    // is there wins, anything else is an entry name.
    DWORD a = ::GetFileAttributesA(item.substr(1).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

Command CommandLineParser::Parse(std::string_view line) {
    std::vector<Item> items = Tokenize(line);
    Command cmd;
    std::size_t i = 0;
    if (!items.empty() && !items[0].quoted && !items[0].text.empty() && items[0].text[0] != '-' &&
        items[0].text[0] != '@') {
        cmd.word = Lower(items[0].text);
        if (!KnownWord(cmd.word))
            throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "コマンドが正しくありません: " + items[0].text);
        i = 1;
    }
    bool haveArchive = false, dirChecked = false;
    for (; i < items.size(); ++i) {
        const Item& it = items[i];
        if (it.text.empty()) continue;
        if (!haveArchive) {
            if (it.text[0] == '-') {
                ApplySwitch(it.text, cmd.switches);
                continue;
            }
            cmd.archive = it.text;
            haveArchive = true;
            continue;
        }
        if (!dirChecked) {
            dirChecked = true;
            if (WordTakesDirectory(cmd.word) && EndsWithBackslash(it.text)) {
                cmd.directory = it.text;
                continue;
            }
        }
        if (it.text[0] == '@' && it.text.size() > 1 && IsResponseFile(cmd, it.text))
            ReadResponseFile(it.text.substr(1), cmd.names);
        else
            cmd.names.push_back(it.text);
    }
    if (!haveArchive) throw UnlhaError(UNLHA_ERR_BAD_COMMAND, "書庫ファイル名が指定されていません。");
    return cmd;
}

}  // namespace unlha
