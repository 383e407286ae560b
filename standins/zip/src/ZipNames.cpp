#include "ZipNames.h"

namespace zipfmt {

namespace {

size_t CharLength(const std::string& s, size_t i) {
    return (IsLeadByte932(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

char Fold(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameChar(const std::string& a, size_t ai, size_t an, const std::string& b, size_t bi, size_t bn) {
    if (an != bn) return false;
    if (an == 1) return Fold(a[ai]) == Fold(b[bi]);
    return a.compare(ai, an, b, bi, bn) == 0;
}

// The set at pattern[p] ('['): its end (just past ']'), or npos when it is not closed; match
// tells whether the character name[ni..ni+nn) is in it.
size_t MatchSet(const std::string& pattern, size_t p, const std::string& name, size_t ni, size_t nn,
                bool& match) {
    size_t i = p + 1;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        const size_t cl = CharLength(pattern, i);
        // A range of single-byte characters.
        if (cl == 1 && i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']' &&
            CharLength(pattern, i + 2) == 1) {
            if (nn == 1) {
                const char c = Fold(name[ni]);
                if (Fold(pattern[i]) <= c && c <= Fold(pattern[i + 2])) found = true;
            }
            i += 3;
            continue;
        }
        if (SameChar(pattern, i, cl, name, ni, nn)) found = true;
        i += cl;
    }
    if (i >= pattern.size()) return std::string::npos;
    match = found != negate;
    return i + 1;
}

bool Match(const std::string& pattern, size_t p, const std::string& name, size_t n) {
    while (p < pattern.size()) {
        const char c = pattern[p];
        if (c == '*') {
            while (p < pattern.size() && pattern[p] == '*') ++p;
            if (p == pattern.size()) return true;
            for (size_t k = n; k <= name.size(); k += (k < name.size() ? CharLength(name, k) : 1))
                if (Match(pattern, p, name, k)) return true;
            return false;
        }
        if (n >= name.size()) return false;
        const size_t nn = CharLength(name, n);
        if (c == '?') {
            ++p;
        } else if (c == '[') {
            bool in = false;
            const size_t end = MatchSet(pattern, p, name, n, nn, in);
            if (end == std::string::npos) {
                // An unclosed '[' is itself.
                if (name[n] != '[') return false;
                ++p;
            } else {
                if (!in) return false;
                p = end;
            }
        } else {
            const size_t pl = CharLength(pattern, p);
            if (!SameChar(pattern, p, pl, name, n, nn)) return false;
            p += pl;
        }
        n += nn;
    }
    return n == name.size();
}

}  // namespace

bool IsLeadByte932(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool WildMatch(const std::string& pattern, const std::string& name) {
    return Match(pattern, 0, name, 0);
}

bool LiteralOf(const std::string& pattern, std::string& literal) {
    literal.clear();
    for (size_t i = 0; i < pattern.size();) {
        const size_t cl = CharLength(pattern, i);
        const char c = pattern[i];
        if (cl == 1 && (c == '*' || c == '?')) return false;
        if (cl == 1 && c == '[') {
            // Only a set of exactly one character: "[x]" (x possibly '[' or a double-byte one).
            if (i + 1 >= pattern.size()) return false;
            const size_t xl = CharLength(pattern, i + 1);
            const char x = pattern[i + 1];
            if (xl == 1 && (x == '!' || x == '^' || x == ']')) return false;
            if (i + 1 + xl >= pattern.size() || pattern[i + 1 + xl] != ']') return false;
            literal.append(pattern, i + 1, xl);
            i += xl + 2;
            continue;
        }
        literal.append(pattern, i, cl);
        i += cl;
    }
    return true;
}

std::string SlashSeparated(const std::string& name) {
    std::string out = name;
    for (size_t i = 0; i < out.size(); i += CharLength(out, i))
        if (out[i] == '\\') out[i] = '/';
    return out;
}

bool SafeComponents(const std::string& name, std::vector<std::string>& components) {
    components.clear();
    const std::string s = SlashSeparated(name);
    if (s.empty() || s[0] == '/') return false;
    std::string part;
    for (size_t i = 0; i < s.size();) {
        const size_t cl = CharLength(s, i);
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (cl == 1 &&
            (c < 0x20 || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|'))
            return false;
        if (cl == 1 && c == '/') {
            if (part.empty() || part == "..") return false;
            if (part != ".") components.push_back(part);
            part.clear();
        } else {
            part.append(s, i, cl);
        }
        i += cl;
    }
    if (part == "..") return false;
    if (!part.empty() && part != ".") components.push_back(part);
    return true;
}

std::string JoinedComponents(const std::vector<std::string>& components) {
    std::string out;
    for (const std::string& c : components) out += (out.empty() ? "" : "/") + c;
    return out;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> items;
    std::string item;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) items.push_back(item);
            item.clear();
            any = false;
        } else {
            item += c;
            any = true;
        }
    }
    if (any) items.push_back(item);
    return items;
}

}  // namespace zipfmt
