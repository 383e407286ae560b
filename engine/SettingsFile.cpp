#include "SettingsFile.h"

#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "ostra_consts.h"

namespace ostra {

std::string TSettingsFile::ReadString(const std::string& section, const std::string& key,
                                      const std::string& def) const {
    char buf[kProfileBufferSize];
    DWORD n =
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf, sizeof buf, Path_.c_str());
    return std::string(buf, n);
}

std::runtime_error WriteFailedError(const std::string& path) {
    const std::string format = kWriteFailed;
    const size_t at = format.find("%s");
    return std::runtime_error(format.substr(0, at) + path + format.substr(at + 2));
}

bool ParseIniInteger(const std::string& text, int& value) {
    std::string s = text;
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;  // leading blanks are allowed, trailing ones are not
    s.erase(0, i);
    bool neg = false;
    size_t p = 0;
    if (p < s.size() && (s[p] == '-' || s[p] == '+')) neg = s[p++] == '-';
    int base = 10;
    if (s.size() > 2 && s[p] == '0' && p + 1 < s.size() && (s[p + 1] == 'x' || s[p + 1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (p >= s.size()) return false;
    long long v = 0;
    for (; p < s.size(); ++p) {
        int d;
        char c = s[p];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFLL) return false;
    }
    if (neg) v = -v;
    // Hexadecimal values fill all 32 bits (0xFFFFFFFF is -1); decimal ones must fit.
    if (base == 16 && !neg && v > INT_MAX) v -= 0x100000000LL;
    if (v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

int TSettingsFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    std::string s = ReadString(section, key, "");
    int v;
    return ParseIniInteger(s, v) ? v : def;
}

bool TSettingsFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TSettingsFile::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    if (!::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), Path_.c_str())) {
        throw WriteFailedError(Path_);
    }
}

void TSettingsFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TSettingsFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace ostra
