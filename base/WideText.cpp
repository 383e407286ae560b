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

}  // namespace ostra
