#include "SafeName.h"

#include <windows.h>

#include <array>

#include "SjisPath.h"

namespace unlha {

namespace {

bool IsDeviceName(const std::string& component) {
    static const std::array<const char*, 4> kPlain = {"con", "prn", "aux", "nul"};
    std::string base = FoldName(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (const char* d : kPlain)
        if (base == d) return true;
    if (base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) && base[3] >= '1' &&
        base[3] <= '9')
        return true;
    return false;
}

std::string CleanComponent(const std::string& c) {
    std::string r;
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(c[i])) && i + 1 < c.size()) {
            r += c[i];
            r += c[++i];
            continue;
        }
        unsigned char b = static_cast<unsigned char>(c[i]);
        bool bad =
            b < 0x20 || b == '<' || b == '>' || b == ':' || b == '"' || b == '|' || b == '?' || b == '*';
        r += bad ? '_' : c[i];
    }
    // Windows drops trailing dots and blanks, which would make two names one.
    while (!r.empty() && (r.back() == '.' || r.back() == ' ')) r.pop_back();
    if (r.empty()) r.push_back('_');
    if (IsDeviceName(r)) r.insert(r.begin(), '_');
    return r;
}

}  // namespace

std::optional<std::string> SafeRelativeName(std::string_view archiveName) {
    std::string name = ToBackslashes(archiveName);
    if (name.size() >= 2 && name[1] == ':' && !IsLeadByteAt(name, 0)) name.erase(0, 2);
    std::string result;
    for (const std::string& c : SplitComponents(name)) {
        if (c == ".") continue;
        // Prefixes of absolute names: "\\?\", and a drive after leading separators.
        bool drive =
            c.size() == 2 && c[1] == ':' && ((c[0] >= 'A' && c[0] <= 'Z') || (c[0] >= 'a' && c[0] <= 'z'));
        if (result.empty() && (c == "?" || drive)) continue;
        if (c == "..") return std::nullopt;
        if (!result.empty()) result += '\\';
        result += CleanComponent(c);
    }
    if (result.empty()) return std::nullopt;
    return result;
}

}  // namespace unlha
