#include "ArchiverOptions.h"

namespace arc {

using O = TArchiverOptions;

const std::vector<TSwitchInfo>& ArchiverSwitches() {
    static const std::vector<TSwitchInfo> table = {
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
    return table;
}

void TArchiverOptions::Reset() {
    for (const TSwitchInfo& sw : ArchiverSwitches()) {
        if (auto* num = std::get_if<int8_t O::*>(&sw.Member))
            this->*(*num) = -1;
        else if (auto* text = std::get_if<std::string O::*>(&sw.Member))
            this->*(*text) = kUnsetText;
        else
            this->*std::get<TStrings O::*>(sw.Member) = TStrings();
    }
    UserOptions.clear();
    UserFileList.clear();
    ResFileName.clear();
    PackFilter = TPackFilter::pfComponent;
    ResFileUsage = {TResFileUse::ruOnPack, TResFileUse::ruOnUnpack, TResFileUse::ruOnRemoveItem};
}

}  // namespace arc
