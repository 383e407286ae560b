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

TFileArg::TFileArg(const char* name) {
    if (name) Names_.emplace_back(name);
}

TFileArg::TFileArg(const char* const* names) {
    if (!names) return;
    for (; *names; ++names) Names_.emplace_back(*names);
}

TFileArg::TFileArg(const wchar_t* name) {
    if (!name) return;
    std::string text;
    if (!ExactAnsi(name, text)) text.clear();
    Names_.push_back(std::move(text));
}

TFileArg::TFileArg(const TVariant& value) {
    if (const auto* array = std::get_if<std::vector<TVarValue>>(&value)) {
        for (const TVarValue& element : *array) Names_.push_back(VarToStr(element));
    } else {
        Names_.push_back(VarToStr(std::get<TVarValue>(value)));
    }
}

TStrings FlattenFiles(const TFileList& files, bool keepEmpty) {
    TStrings result;
    for (const TFileArg& arg : files.args()) {
        for (const std::string& name : arg.names()) {
            if (keepEmpty || !name.empty()) result.push_back(name);
        }
    }
    return result;
}

}  // namespace arc
