#include "TextRoutines.h"

#include <windows.h>

#include <vector>

namespace ostra {

bool IsLeadByte(const std::string& s, size_t i) {
    return i < s.size() && ::IsDBCSLeadByte(static_cast<BYTE>(s[i]));
}

size_t NextChar(const std::string& s, size_t i) {
    return (IsLeadByte(s, i) && i + 1 < s.size()) ? i + 2 : i + 1;
}

bool IsCharStart(const std::string& s, size_t pos) {
    size_t i = 0;
    while (i < pos) i = NextChar(s, i);
    return i == pos;
}

std::string WithBackslashes(const std::string& path) {
    std::string p = path;
    for (size_t i = 0; i < p.size(); i = NextChar(p, i))
        if (p[i] == '/') p[i] = '\\';
    return p;
}

size_t LastDelimiter(const std::string& s, const char* delims) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < s.size(); i = NextChar(s, i)) {
        if (IsLeadByte(s, i)) continue;
        for (const char* d = delims; *d; ++d) {
            if (s[i] == *d) {
                found = i;
                break;
            }
        }
    }
    return found;
}

size_t AnsiPos(const std::string& s, const std::string& sep) {
    if (sep.empty()) return std::string::npos;
    for (size_t i = 0; i + sep.size() <= s.size(); i = NextChar(s, i)) {
        if (s.compare(i, sep.size(), sep) == 0) return i;
    }
    return std::string::npos;
}

bool EndsWithBackslash(const std::string& s) {
    return !s.empty() && LastDelimiter(s, "\\") == s.size() - 1;
}

std::string AddBackslash(const std::string& s) {
    if (s.empty() || EndsWithBackslash(s)) return s;
    return s + '\\';
}

std::string RemoveBackslash(const std::string& s) {
    if (EndsWithBackslash(s)) return s.substr(0, s.size() - 1);
    return s;
}

std::string ExtractFileName(const std::string& path) {
    size_t p = LastDelimiter(path, "\\:");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFilePath(const std::string& path) {
    size_t p = LastDelimiter(path, "\\:");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && !IsLeadByte(path, 0)) return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t p = 2, separators = 0;
        while (p < path.size()) {
            if (path[p] == '\\' && ++separators == 2) break;
            p = NextChar(path, p);
        }
        return path.substr(0, p < path.size() ? p : path.size());
    }
    return std::string();
}

std::string CutToken(std::string& text, const std::string& separator) {
    size_t p = AnsiPos(text, separator);
    std::string head;
    if (p == std::string::npos) {
        head.swap(text);
    } else {
        head = text.substr(0, p);
        text.erase(0, p + separator.size());
    }
    return head;
}

std::string GetToken(std::string& text, const std::string& separator, int n) {
    std::string part;
    for (int i = 0; i <= n; ++i) part = CutToken(text, separator);
    return part;
}

const char* BoolToIniStr(bool flag) {
    return flag ? "1" : "0";
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string AnsiLowerCase(const std::string& s) {
    std::string r = s;
    if (!r.empty()) ::CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

std::string AppDir() {
    std::vector<char> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size() - 1) return ExtractFilePath(std::string(buf.data(), n));
        buf.resize(buf.size() * 2);  // truncated: try again with room for a long path
    }
}

}  // namespace ostra
