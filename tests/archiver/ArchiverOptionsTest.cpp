// The options bag: its defaults, Reset, Assign and the published order of its switches.
#include <gtest/gtest.h>

#include "ArchiverOptions.h"
#include "OptionsTestSupport.h"

using namespace arc;
using options_test::O;
using options_test::Switches;

namespace {

const TResFileUsage kDefaultUsage = {TResFileUse::ruOnPack, TResFileUse::ruOnUnpack,
                                     TResFileUse::ruOnRemoveItem};

// Every property away from its default, each switch to a value of its own (texts to "t<index>", or
// to the empty text, which is a set switch too, when emptyTexts).
void SetEverything(O& o, bool emptyTexts) {
    int index = 0;
    for (const auto& sw : Switches()) {
        ++index;
        if (auto* num = std::get_if<int8_t O::*>(&sw.Field))
            o.*(*num) = static_cast<int8_t>(index);
        else if (auto* text = std::get_if<std::string O::*>(&sw.Field))
            o.*(*text) = emptyTexts ? std::string() : "t" + std::to_string(index);
        else
            o.*std::get<TStrings O::*>(sw.Field) = {"*.bak", "", "sub\\*.tmp"};
    }
    o.UserOptions = "-user";
    o.UserFileList = "list.txt";
    o.PackFilter = TPackFilter::pfArchiver;
    o.ResFileName = "C:\\resp.txt";
    o.ResFileUsage = {TResFileUse::ruOnUpdate};
    o.IncludeExtraStreams = false;
    o.StreamSeparator = "@!";
}

// Lists what of o is not in the reset state; empty when everything is.
std::string NotReset(const O& o) {
    std::string out;
    for (const auto& sw : Switches()) {
        if (auto* num = std::get_if<int8_t O::*>(&sw.Field)) {
            if (o.*(*num) != -1) out += std::string(sw.Name) + "=" + std::to_string(o.*(*num)) + " ";
        } else if (auto* text = std::get_if<std::string O::*>(&sw.Field)) {
            if (!IsUnsetText(o.*(*text)))
                out += std::string(sw.Name) + "=" + options_test::Show(o.*(*text)) + " ";
        } else if (!(o.*std::get<TStrings O::*>(sw.Field)).empty()) {
            out += std::string(sw.Name) + " not empty ";
        }
    }
    if (!o.UserOptions.empty()) out += "UserOptions ";
    if (!o.UserFileList.empty()) out += "UserFileList ";
    if (!o.ResFileName.empty()) out += "ResFileName ";
    if (o.PackFilter != TPackFilter::pfComponent) out += "PackFilter ";
    if (o.ResFileUsage != kDefaultUsage) out += "ResFileUsage ";
    return out;
}

}  // namespace

TEST(ArchiverOptions, TheSwitchTableFollowsThePublishedOrder) {
    const auto& table = ArchiverSwitches();
    ASSERT_EQ(table.size(), 73u);
    ASSERT_EQ(Switches().size(), 73u);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_STREQ(table[i].Name, Switches()[i].Name) << i;
        EXPECT_TRUE(table[i].Member == Switches()[i].Field) << Switches()[i].Name;
    }
}

TEST(ArchiverOptions, ANewObjectIsResetAndPacksWithItsOwnSelectionAndStreams) {
    O o;
    EXPECT_EQ(NotReset(o), "");
    EXPECT_TRUE(o.IncludeExtraStreams);
    EXPECT_EQ(o.StreamSeparator, ";#");
    // The unset marker is one NUL character, not the empty text.
    EXPECT_EQ(o.jo, std::string(1, '\0'));
}

TEST(ArchiverOptions, ResetUnsetsEverySwitchAndLeavesTheStreamSettings) {
    for (bool emptyTexts : {false, true}) {
        SCOPED_TRACE(emptyTexts ? "empty texts" : "texts");
        O o;
        SetEverything(o, emptyTexts);
        ASSERT_NE(NotReset(o), "");
        o.Reset();
        EXPECT_EQ(NotReset(o), "");
        EXPECT_FALSE(o.IncludeExtraStreams);
        EXPECT_EQ(o.StreamSeparator, "@!");
    }
}

TEST(ArchiverOptions, AssignCopiesEveryPropertyAndJxLineByLine) {
    O source;
    SetEverything(source, false);
    source.w = "";  // set without a value: must not come over as unset
    O target;
    target.jx = {"old line"};
    target.jo = "240101";
    target.Assign(source);
    EXPECT_EQ(options_test::Differences(target, source), "");
    EXPECT_EQ(target.jx, (TStrings{"*.bak", "", "sub\\*.tmp"}));
    EXPECT_EQ(target.w, "");
    // The copy is the target's own: changing the source afterwards leaves it alone.
    source.jx.push_back("*.new");
    source.UserOptions = "changed";
    EXPECT_EQ(target.jx.size(), 3u);
    EXPECT_EQ(target.UserOptions, "-user");

    // Assigning a fresh object brings back every default, the stream settings included.
    target.Assign(O());
    EXPECT_EQ(NotReset(target), "");
    EXPECT_TRUE(target.IncludeExtraStreams);
    EXPECT_EQ(target.StreamSeparator, ";#");
}
