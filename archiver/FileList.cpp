#include "FileList.h"

#include <windows.h>

#include <charconv>

namespace arc {

std::string VarToStr(const TVarValue& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return std::string(); }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(long long n) const { return std::to_string(n); }
        std::string operator()(double d) const {
            char buffer[64];
            auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
            return ec == std::errc() ? std::string(buffer, end) : std::string();
        }
        std::string operator()(const std::string& s) const { return s; }
    };
    return std::visit(Visitor{}, value);
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

TFileArg::TFileArg(const char* name) {
    if (name) Names.emplace_back(name);
}

TFileArg::TFileArg(const char* const* names) {
    if (!names) return;
    for (; *names; ++names) Names.emplace_back(*names);
}

TFileArg::TFileArg(const wchar_t* name) {
    if (!name) return;
    std::string text;
    if (!ExactAnsi(name, text)) text.clear();
    Names.push_back(std::move(text));
}

TFileArg::TFileArg(const TVariant& value) {
    if (const auto* array = std::get_if<std::vector<TVarValue>>(&value)) {
        for (const TVarValue& element : *array) Names.push_back(VarToStr(element));
    } else {
        Names.push_back(VarToStr(std::get<TVarValue>(value)));
    }
}

TStringList FlattenFiles(const TFileList& files, bool keepEmpty) {
    TStringList result;
    for (const TFileArg& arg : files.args()) {
        for (const std::string& name : arg.names()) {
            if (keepEmpty || !name.empty()) result.push_back(name);
        }
    }
    return result;
}

}  // namespace arc
