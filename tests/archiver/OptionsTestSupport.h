// The properties of TArchiverOptions as documented, kept apart from the options' own switch table
// so that the tests can hold that table to them; and a comparison of two options objects.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "ArchiverOptions.h"

namespace options_test {

using O = arc::TArchiverOptions;
using Member = std::variant<int8_t O::*, std::string O::*, TStrings O::*>;

struct Switch {
    const char* Name;
    Member Field;
};

// The 73 switches in published order: 63 signed ones, 9 texts and the jx list in their places.
inline const std::vector<Switch>& Switches() {
    static const std::vector<Switch> list = {
        {"a", &O::a},     {"c", &O::c},     {"e", &O::e},     {"f", &O::f},     {"h", &O::h},
        {"i", &O::i},     {"l", &O::l},     {"m", &O::m},     {"n", &O::n},     {"o", &O::o},
        {"p", &O::p},     {"r", &O::r},     {"s", &O::s},     {"t", &O::t},     {"u", &O::u},
        {"w", &O::w},     {"x", &O::x},     {"y", &O::y},     {"z", &O::z},     {"jc", &O::jc},
        {"jd", &O::jd},   {"je", &O::je},   {"jf", &O::jf},   {"jh", &O::jh},   {"ji", &O::ji},
        {"jm", &O::jm},   {"jn", &O::jn},   {"jo", &O::jo},   {"job", &O::job}, {"jp", &O::jp},
        {"jr", &O::jr},   {"jsb", &O::jsb}, {"jsc", &O::jsc}, {"jsd", &O::jsd}, {"jse", &O::jse},
        {"jsf", &O::jsf}, {"jsl", &O::jsl}, {"jso", &O::jso}, {"jss", &O::jss}, {"jst", &O::jst},
        {"jsv", &O::jsv}, {"jsz", &O::jsz}, {"jw", &O::jw},   {"jx", &O::jx},   {"jyc", &O::jyc},
        {"jyd", &O::jyd}, {"jyk", &O::jyk}, {"jyn", &O::jyn}, {"jyo", &O::jyo}, {"jz", &O::jz},
        {"ga", &O::ga},   {"gd", &O::gd},   {"ge", &O::ge},   {"gf", &O::gf},   {"gj", &O::gj},
        {"gm", &O::gm},   {"gn", &O::gn},   {"go", &O::go},   {"gp", &O::gp},   {"gr", &O::gr},
        {"gs", &O::gs},   {"gu", &O::gu},   {"gw", &O::gw},   {"gya", &O::gya}, {"gyc", &O::gyc},
        {"gyd", &O::gyd}, {"gye", &O::gye}, {"gyo", &O::gyo}, {"gyq", &O::gyq}, {"gys", &O::gys},
        {"gyt", &O::gyt}, {"gyw", &O::gyw}, {"gyx", &O::gyx},
    };
    return list;
}

inline std::string Show(const std::string& text) {
    return arc::IsUnsetText(text) ? std::string("<unset>") : "\"" + text + "\"";
}

// The properties in which a and b differ, one "name: a / b" line each; empty when none.
inline std::string Differences(const O& a, const O& b) {
    std::string out;
    for (const Switch& sw : Switches()) {
        if (auto* num = std::get_if<int8_t O::*>(&sw.Field)) {
            if (a.*(*num) != b.*(*num))
                out += std::string(sw.Name) + ": " + std::to_string(a.*(*num)) + " / " +
                       std::to_string(b.*(*num)) + "\n";
        } else if (auto* text = std::get_if<std::string O::*>(&sw.Field)) {
            if (a.*(*text) != b.*(*text))
                out += std::string(sw.Name) + ": " + Show(a.*(*text)) + " / " + Show(b.*(*text)) + "\n";
        } else if (a.*std::get<TStrings O::*>(sw.Field) != b.*std::get<TStrings O::*>(sw.Field)) {
            out += std::string(sw.Name) + " differs\n";
        }
    }
    if (a.UserOptions != b.UserOptions) out += "UserOptions: " + a.UserOptions + " / " + b.UserOptions + "\n";
    if (a.UserFileList != b.UserFileList)
        out += "UserFileList: " + a.UserFileList + " / " + b.UserFileList + "\n";
    if (a.PackFilter != b.PackFilter) out += "PackFilter differs\n";
    if (a.ResFileName != b.ResFileName) out += "ResFileName: " + a.ResFileName + " / " + b.ResFileName + "\n";
    if (a.ResFileUsage != b.ResFileUsage) out += "ResFileUsage differs\n";
    if (a.IncludeExtraStreams != b.IncludeExtraStreams) out += "IncludeExtraStreams differs\n";
    if (a.StreamSeparator != b.StreamSeparator)
        out += "StreamSeparator: " + a.StreamSeparator + " / " + b.StreamSeparator + "\n";
    return out;
}

}  // namespace options_test
