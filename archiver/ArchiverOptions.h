// The switches that travel with every archive operation. Each is named after the archiver
// command-line switch a back-end writes for it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "StringLists.h"

namespace arc {

// An option text that is not set holds exactly one NUL character; the empty text means the switch
// is set without a value.
inline const std::string kUnsetText(1, '\0');
inline bool IsUnsetText(const std::string& s) {
    return s.size() == 1 && s[0] == '\0';
}

enum class TPackFilter { pfArchiver, pfComponent };
enum class TResFileUse { ruOnPack, ruOnUnpack, ruOnRemoveItem, ruOnUpdate };
using TResFileUsage = std::set<TResFileUse>;

class TArchiverOptions {
  public:
    TArchiverOptions() { Reset(); }

    // Every switch unset, texts to the unset marker, lists and free texts empty, the defaults of
    // PackFilter and ResFileUsage; IncludeExtraStreams and StreamSeparator are left alone.
    void Reset();
    // Copies every property.
    void Assign(const TArchiverOptions& other) { *this = other; }

    // Signed switches: -1 means not set.
    int8_t a, c, e, f, h, i, l, m, n, o, p, r, s, t, u, x, y, z;
    int8_t jc, jd, je, jf, jh, ji, jm, jn, jp, jr;
    int8_t jsb, jsc, jsd, jse, jsf, jsl, jso, jss, jst, jsv, jsz, jw;
    int8_t jyc, jyd, jyk, jyn, jyo;
    int8_t ga, gd, ge, gf, gj, gm, gn, go, gp, gs, gu, gw;
    int8_t gya, gyc, gyo, gyq, gys, gyx;
    // Text switches: kUnsetText means not set.
    std::string w, jo, job, jz, gr, gyd, gye, gyt, gyw;
    // Exclusions, one pattern a line.
    TStrings jx;

    std::string UserOptions;
    std::string UserFileList;
    TPackFilter PackFilter = TPackFilter::pfComponent;
    std::string ResFileName;
    TResFileUsage ResFileUsage;
    bool IncludeExtraStreams = true;
    std::string StreamSeparator = ";#";
};

// One switch of the published order, for the back-ends that write them all in that order.
using TSwitchMember =
    std::variant<int8_t TArchiverOptions::*, std::string TArchiverOptions::*, TStrings TArchiverOptions::*>;
struct TSwitchInfo {
    const char* Name;
    TSwitchMember Member;
};

// The 73 switches (a to gyx, with w, jo, job, jx, jz, gr, gyd, gye, gyt, gyw in their places) in
// published order.
const std::vector<TSwitchInfo>& ArchiverSwitches();

}  // namespace arc
