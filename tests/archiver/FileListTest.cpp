// Flattening of the open file list: every kind of argument, order, empty names, kinds that
// contribute nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "FileList.h"

using namespace arc;

TEST(FileListTest, OneThreeLineStringListAndOneEmptyTextGiveThreeNames) {
    TStrings list = {"a.txt", "b.txt", "sub\\c.txt"};
    EXPECT_EQ((TStrings{"a.txt", "b.txt", "sub\\c.txt"}), FlattenFiles({list, ""}));
    EXPECT_EQ((TStrings{"a.txt", "b.txt", "sub\\c.txt"}), FlattenFiles(TFileList{list}));
}

TEST(FileListTest, EveryKindInOrderAndOtherKindsContributeNothing) {
    const char* array[] = {"c1", "", "c2", nullptr};
    const char* const* noArray = nullptr;
    const char* noText = nullptr;
    std::string text = "b";
    TVariant varArray = std::vector<TVarValue>{std::string("v1"), 5LL, true, TVarValue()};
    TVarValue varText = std::string("v2");
    TFileList files = {"a",  text, array,   noArray,  noText,  TStrings{"s1", "", "s2"}, 42,      3.5,
                       true, 'c',  nullptr, varArray, varText, TVariant(TVarValue(7LL)), L"w.txt"};
    EXPECT_EQ((TStrings{"a", "b", "c1", "c2", "s1", "s2", "v1", "5", "True", "v2", "7", "w.txt"}),
              FlattenFiles(files));
}

TEST(FileListTest, EmptyNamesStayWhenAskedFor) {
    EXPECT_EQ((TStrings{"", "a", ""}), FlattenFiles({"", TStrings{"a", ""}}, true));
    EXPECT_EQ(TStrings{}, FlattenFiles({"", TStrings{"", ""}}));
}

TEST(FileListTest, WideTextsBecomeTheAnsiCodePage) {
    ASSERT_EQ(932u, ::GetACP());
    EXPECT_EQ(TStrings{"\x95\x5C.txt"}, FlattenFiles({L"表.txt"}));
}

TEST(FileListTest, WideNamesWithoutAnExactAnsiFormAreNoNames) {
    ASSERT_EQ(932u, ::GetACP());
    // Code page 932 has no "é": a '?' or a best-fit "e" in its place would name other files.
    EXPECT_EQ(TStrings{"\x95\x5C.txt"}, FlattenFiles({L"r\u00e9sum\u00e9.txt", L"表.txt"}));
    EXPECT_EQ(TStrings{}, FlattenFiles({std::wstring(L"na\u00efve.txt")}));
    // For the pack file selection it stays an empty name, which selects nothing (no name at all
    // would select every file).
    EXPECT_EQ((TStrings{"", "a"}), FlattenFiles({L"r\u00e9sum\u00e9.txt", "a"}, true));

    std::string out = "stale";
    EXPECT_FALSE(ExactAnsi(L"caf\u00e9", out));
    EXPECT_EQ("", out);
    EXPECT_TRUE(ExactAnsi(L"ｱ表\\x", out));  // half-width katakana and a trail byte 0x5C
    EXPECT_EQ("\xB1\x95\x5C\\x", out);
    EXPECT_TRUE(ExactAnsi(L"", out));
    EXPECT_EQ("", out);
}

TEST(FileListTest, NamesAreTakenWhenTheListIsMade) {
    TFileList files;
    {
        TStrings temporary = {"x", "y"};
        files = TFileList{temporary, std::string("z")};
    }
    EXPECT_EQ((TStrings{"x", "y", "z"}), FlattenFiles(files));
}
