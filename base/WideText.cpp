#include "WideText.h"

#include <windows.h>

namespace ostra {

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, w.data(), n);
    return w;
}

bool ExactAnsi(std::wstring_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    const UINT codePage = ::GetACP();
    // UTF-8 has every character but refuses the question about lost ones; it is asked to refuse
    // broken surrogates instead.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr,
                                        utf8 ? nullptr : &usedDefault);
    if (n <= 0 || usedDefault) return false;
    out.assign(static_cast<size_t>(n), '\0');
    if (::WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), n, nullptr, nullptr) != n) {
        out.clear();
        return false;
    }
    return true;
}

std::string ReadableAnsi(std::wstring_view text) {
    std::string out;
    if (ExactAnsi(text, out)) return out;
    // Character by character: most names have one or two that the code page lacks.
    out.clear();
    std::string part;
    for (size_t i = 0; i < text.size();) {
        const bool pair = i + 1 < text.size() && IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]);
        const size_t n = pair ? 2 : 1;
        out += ExactAnsi(text.substr(i, n), part) ? part : std::string("?");
        i += n;
    }
    return out;
}

std::wstring FullWidePath(const std::string& path) {
    std::wstring w = AnsiToWide(path);
    if (w.empty()) return w;
    if (w.rfind(L"\\\\?\\", 0) == 0) return w;
    for (wchar_t& c : w)
        if (c == L'/') c = L'\\';
    const DWORD size = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (size == 0) return w;
    std::wstring full(size, L'\0');
    const DWORD n = ::GetFullPathNameW(w.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return w;
    full.resize(n);
    return full;
}

std::wstring LongPathForm(const std::wstring& fullPath) {
    if (fullPath.empty() || fullPath.rfind(L"\\\\?\\", 0) == 0) return fullPath;
    if (fullPath.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return L"\\\\?\\" + fullPath;
}

}  // namespace ostra
