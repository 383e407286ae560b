#include "SjisPath.h"

#include <windows.h>

namespace unlha {

namespace {

bool IsLead(char c) {
    return ::IsDBCSLeadByte(static_cast<BYTE>(c)) != 0;
}
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Calls f(index, length) for every character of s.
template <typename F>
void ForEachChar(std::string_view s, F f) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = (IsLead(s[i]) && i + 1 < s.size()) ? 2 : 1;
        f(i, len);
        i += len;
    }
}

char FoldByte(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if (c == '/') return '\\';
    return c;
}

}  // namespace

bool IsLeadByteAt(std::string_view s, std::size_t i) {
    bool lead = false;
    ForEachChar(s, [&](std::size_t at, std::size_t len) {
        if (at == i) lead = len == 2;
    });
    return lead;
}

bool EndsWithBackslash(std::string_view s) {
    bool last = false;
    ForEachChar(s, [&](std::size_t at, std::size_t len) { last = len == 1 && s[at] == '\\'; });
    return last;
}

std::string AddBackslash(std::string_view s) {
    std::string r(s);
    if (!r.empty() && !EndsWithBackslash(r)) r += '\\';
    return r;
}

std::string ToBackslashes(std::string_view s) {
    std::string r(s);
    ForEachChar(s, [&](std::size_t at, std::size_t len) {
        if (len == 1 && r[at] == '/') r[at] = '\\';
    });
    return r;
}

std::vector<std::string> SplitComponents(std::string_view s) {
    std::vector<std::string> parts;
    std::string cur;
    ForEachChar(s, [&](std::size_t at, std::size_t len) {
        if (len == 1 && IsSeparator(s[at])) {
            if (!cur.empty()) parts.push_back(cur);
            cur.clear();
        } else {
            cur.append(s.substr(at, len));
        }
    });
    if (!cur.empty()) parts.push_back(cur);
    return parts;
}

std::size_t FileNamePosition(std::string_view s) {
    std::size_t pos = 0;
    ForEachChar(s, [&](std::size_t at, std::size_t len) {
        if (len == 1 && (IsSeparator(s[at]) || s[at] == ':')) pos = at + 1;
    });
    return pos;
}

std::string DirectoryPart(std::string_view s) {
    return std::string(s.substr(0, FileNamePosition(s)));
}
std::string LastComponent(std::string_view s) {
    return std::string(s.substr(FileNamePosition(s)));
}

std::string FoldName(std::string_view s) {
    std::string r(s);
    ForEachChar(s, [&](std::size_t at, std::size_t len) {
        if (len == 1) r[at] = FoldByte(r[at]);
    });
    return r;
}

bool SameName(std::string_view a, std::string_view b) {
    return FoldName(a) == FoldName(b);
}

bool HasWildcard(std::string_view s) {
    bool found = false;
    ForEachChar(s, [&](std::size_t at, std::size_t len) {
        if (len == 1 && (s[at] == '*' || s[at] == '?')) found = true;
    });
    return found;
}

namespace {

// Both texts as whole characters, folded.
std::vector<std::string> Characters(std::string_view s) {
    std::vector<std::string> chars;
    std::string folded = FoldName(s);
    ForEachChar(folded, [&](std::size_t at, std::size_t len) { chars.emplace_back(folded.substr(at, len)); });
    return chars;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern.empty() || pattern == "*" || pattern == "*.*") return true;
    std::vector<std::string> p = Characters(pattern), n = Characters(name);
    // Greedy matching with one back-tracking point per '*': linear in practice, no recursion.
    std::size_t pi = 0, ni = 0, starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == "?" || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == "*") {
            starP = pi++;
            starN = ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == "*") ++pi;
    // "name.*" also matches "name" without an extension, as on DOS.
    if (pi + 2 == p.size() && p[pi] == "." && p[pi + 1] == "*") pi = p.size();
    return pi == p.size();
}

bool IsAbsolutePath(std::string_view s) {
    if (s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')))
        return true;
    return !s.empty() && IsSeparator(s[0]);
}

std::string FullPath(const std::string& s) {
    char buf[MAX_PATH * 2];
    DWORD n = ::GetFullPathNameA(s.c_str(), sizeof buf, buf, nullptr);
    if (n == 0 || n >= sizeof buf) return s;
    return std::string(buf, n);
}

std::string FolderOrCurrent(const std::string& dir) {
    if (!dir.empty()) return AddBackslash(FullPath(dir));
    char buf[MAX_PATH * 2];
    DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
    return (n == 0 || n >= sizeof buf) ? std::string(".\\") : AddBackslash(std::string(buf, n));
}

}  // namespace unlha
