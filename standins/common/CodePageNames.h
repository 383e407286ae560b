// Entry names of the stand-in libraries between UTF-8 and the ANSI code page (Shift-JIS on the
// systems they serve), through Win32. A name is converted only when every character of it has its
// own form in the code page: a look-alike ("best fit") or a '?' would name another file.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace standin {

enum class TNameForm {
    Exact,    // every character has its form in the code page
    NoForm,   // UTF-8 text, but a character of it has no form in the code page
    NotUtf8,  // the bytes are no UTF-8 text
};

inline bool HasHighBytes(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

inline std::wstring WideFromUtf8(const std::string& s, bool& valid) {
    valid = true;
    if (s.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()),
                                        nullptr, 0);
    if (n <= 0) {
        valid = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), wide.data(),
                          n);
    return wide;
}

inline bool IsUtf8(const std::string& s) {
    bool valid = false;
    WideFromUtf8(s, valid);
    return valid;
}

// The characters wide[i, i + n) in the code page; false when they have no exact form there.
inline bool ExactInCodePage(const wchar_t* wide, int n, std::string& out) {
    BOOL lost = FALSE;
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, n, nullptr, 0, nullptr, &lost);
    if (size <= 0 || lost) return false;
    out.assign(static_cast<size_t>(size), '\0');
    lost = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, n, out.data(), size, nullptr, &lost);
    // A character that comes back as another one was fitted, whatever the flag said.
    std::wstring back(static_cast<size_t>(n), L'\0');
    const int m = ::MultiByteToWideChar(CP_ACP, 0, out.data(), size, back.data(), n);
    return !lost && m == n && back.compare(0, static_cast<size_t>(n), wide, static_cast<size_t>(n)) == 0;
}

// The UTF-8 name in the code page. For NoForm, name shows every character without a form as
// <U+XXXX> (for messages and listings only: no file may be made under it); for NotUtf8, name is
// the bytes as they are.
inline TNameForm Utf8ToCodePage(const std::string& utf8, std::string& name) {
    bool valid = false;
    const std::wstring wide = WideFromUtf8(utf8, valid);
    if (!valid) {
        name = utf8;
        return TNameForm::NotUtf8;
    }
    if (ExactInCodePage(wide.data(), static_cast<int>(wide.size()), name)) return TNameForm::Exact;
    name.clear();
    for (size_t i = 0; i < wide.size();) {
        const bool pair = i + 1 < wide.size() && wide[i] >= 0xD800 && wide[i] <= 0xDBFF &&
                          wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        const int n = pair ? 2 : 1;
        std::string part;
        if (ExactInCodePage(&wide[i], n, part)) {
            name += part;
        } else {
            const unsigned long code =
                pair ? 0x10000ul + ((wide[i] - 0xD800ul) << 10) + (wide[i + 1] - 0xDC00ul) : wide[i];
            char text[16];
            std::snprintf(text, sizeof text, "<U+%04lX>", code);
            name += text;
        }
        i += static_cast<size_t>(n);
    }
    return TNameForm::NoForm;
}

// Whether the names of an archive that carry no character set are UTF-8 (what Unix tools write)
// rather than Shift-JIS (what Windows tools and these libraries write): when one of them at least
// has a byte outside ASCII and every such name is valid UTF-8. Judged over the whole archive, as
// one tool wrote it: a Shift-JIS name is seldom valid UTF-8 (kana and most kanji begin with bytes
// UTF-8 never begins a character with), several of them hardly ever.
class TPlainNameVote {
  public:
    void Add(const std::string& name) {
        if (!HasHighBytes(name)) return;
        Any = true;
        if (AllUtf8 && !IsUtf8(name)) AllUtf8 = false;
    }
    bool Utf8() const { return Any && AllUtf8; }

  private:
    bool Any = false, AllUtf8 = true;
};

}  // namespace standin
