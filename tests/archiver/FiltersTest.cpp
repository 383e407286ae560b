// The component's own pack file selection on real folders.
#include "Filters.h"

#include <gtest/gtest.h>

#include "ArchiveTestSupport.h"

using namespace arc;
using archive_test::CurrentDir;
using archive_test::CurrentDirKeeper;
using archive_test::MakeTree;
using testing_support::SetLocalWriteTime;
using testing_support::TempDir;
using Names = std::vector<std::string>;

namespace {

class Selection : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeTree(Base(), {"a.txt", "b.log", "sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt", "hidden.txt",
                          "sys.txt", "ro.txt"});
        ::SetFileAttributesA((Dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ::SetFileAttributesA((Dir / "sys.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
        ::SetFileAttributesA((Dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::string Base() const { return Dir.Path(); }

    // Runs the selection in Base with these options; counts and keeps the progress reports.
    Names Select(TArchiverOptions& options, const TFileList& files) {
        bool abort = false;
        TSelectProgress progress = [this](UINT state, TProgressRecord* record, bool&) {
            Reports.push_back(std::to_string(state) + ":" + FieldText(record->SourceFileName));
        };
        return SelectFiles(Temp, options, Base(), progress, files, abort);
    }

    CurrentDirKeeper Keeper;
    TempDir Dir{"filters"};
    TStringList Temp;
    Names Reports;
};

}  // namespace

TEST_F(Selection, WithoutRecursionAnExistingFileSelectsExactlyItself) {
    TArchiverOptions o;
    EXPECT_EQ(Select(o, {"a.txt"}), Names{"a.txt"});
    EXPECT_EQ(Reports, Names{"2053:a.txt"});
    EXPECT_EQ(Select(o, {"sub\\a.txt"}), Names{"sub\\a.txt"});
    EXPECT_EQ(Select(o, {"missing.txt"}), Names{});
    EXPECT_TRUE(Temp.empty());
}

TEST_F(Selection, RecursionWithPOneSearchesSubfoldersOnlyForWildcards) {
    TArchiverOptions o;
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(Select(o, {"a.txt"}), Names{"a.txt"});
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(Select(o, {"a.*"}), (Names{"a.txt", "sub\\a.txt", "sub\\deep\\a.txt"}));
    // Without p the plain name is looked for in every subfolder too.
    o.r = 1;
    o.p = -1;
    EXPECT_EQ(Select(o, {"a.txt"}), (Names{"a.txt", "sub\\a.txt", "sub\\deep\\a.txt"}));
}

TEST_F(Selection, RTwoTakesAFolderWholeWhileROneTakesItAsAPattern) {
    TArchiverOptions o;
    o.r = 2;
    EXPECT_EQ(Select(o, {"sub"}), (Names{"sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt"}));
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(Select(o, {"sub"}), Names{});
}

TEST_F(Selection, AWildcardExclusionRemovesWhatItReachesFromTheSameFolders) {
    TArchiverOptions o;
    o.r = 1;
    o.jx = {"a.*"};
    EXPECT_EQ(Select(o, {"*.*"}), (Names{"b.log", "ro.txt", "sub\\c.txt"}));
    // A pattern with a folder part reaches that folder's tree only.
    TArchiverOptions sub;
    sub.r = 1;
    sub.jx = {"sub\\*.txt"};
    EXPECT_EQ(Select(sub, {"*.*"}), (Names{"a.txt", "b.log", "ro.txt"}));
}

TEST_F(Selection, SixDigitDatesRunFromMidnightToTheLastSecondInTheCurrentCentury) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const int year = now.wYear / 100 * 100 + 24;  // YY = 24 in this century: a leap year
    MakeTree(Base(), {"d\\before", "d\\first", "d\\last", "d\\after"});
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\before", year, 2, 28, 23, 59, 59, 999));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\first", year, 2, 29, 0, 0, 0));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\last", year, 3, 1, 23, 59, 59, 500));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\after", year, 3, 2, 0, 0, 0));
    TArchiverOptions o;
    o.jo = "240229";
    o.job = "l240301";
    EXPECT_EQ(Select(o, {"d\\*"}), (Names{"d\\first", "d\\last"}));
    // Fourteen digits: the start has its own time of day.
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\first", year, 2, 29, 11, 59, 59));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\last", year, 2, 29, 12, 0, 0));
    TArchiverOptions o14;
    o14.jo = std::to_string(year) + "0229120000";
    EXPECT_EQ(Select(o14, {"d\\*"}), (Names{"d\\after", "d\\last"}));
}

TEST_F(Selection, HiddenAndSystemFilesOnlyWithAOneOrMore) {
    TArchiverOptions o;
    EXPECT_EQ(Select(o, {"*.txt"}), (Names{"a.txt", "ro.txt"}));
    o.a = 0;
    EXPECT_EQ(Select(o, {"*.txt"}), (Names{"a.txt", "ro.txt"}));
    o.a = 1;
    EXPECT_EQ(Select(o, {"*.txt"}), (Names{"a.txt", "hidden.txt", "ro.txt", "sys.txt"}));
}

TEST_F(Selection, ANameGivenTwiceIsListedAndReportedOnce) {
    TArchiverOptions o;
    TStringList more{"A.TXT", "b.log"};
    EXPECT_EQ(Select(o, {"a.txt", more, "a.txt"}), (Names{"a.txt", "b.log"}));
    EXPECT_EQ(Reports, (Names{"2053:a.txt", "2053:b.log"}));
}

TEST_F(Selection, AnEmptyListSelectsTheWholeBaseAndAnEmptyNameNothing) {
    TArchiverOptions o;
    EXPECT_EQ(Select(o, {}), (Names{"a.txt", "b.log", "ro.txt"}));
    o.r = 1;
    EXPECT_EQ(Select(o, TFileList{}),
              (Names{"a.txt", "b.log", "ro.txt", "sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt"}));
    o.r = 1;
    EXPECT_EQ(Select(o, {""}), Names{});
}

TEST_F(Selection, TheWorkingOptionsAreRewrittenForTheLibrary) {
    TArchiverOptions o;
    o.r = 2;
    o.p = 0;
    o.jo = "240101";
    o.job = "991231";
    o.a = 1;
    o.jx = {"*.log"};
    Select(o, {"nothing"});
    EXPECT_EQ(o.r, -1);
    EXPECT_EQ(o.p, 1);
    EXPECT_TRUE(IsUnsetText(o.jo));
    EXPECT_TRUE(IsUnsetText(o.job));
    EXPECT_EQ(o.a, 1);
    EXPECT_EQ(o.jx, TStringList{"*.log"});
}

TEST_F(Selection, AbortFromTheProgressStopsAtTheNextFile) {
    TArchiverOptions o;
    o.r = 1;
    bool abort = false;
    int calls = 0;
    TSelectProgress progress = [&](UINT, TProgressRecord*, bool& stop) {
        ++calls;
        stop = true;
    };
    Names got = SelectFiles(Temp, o, Base(), progress, {"*.*"}, abort);
    EXPECT_TRUE(abort);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(got.size(), 1u);
}

TEST_F(Selection, ShortNamesWithJi) {
    MakeTree(Base(), {"longer name here.text"});
    char shortPath[MAX_PATH];
    DWORD n = ::GetShortPathNameA((Dir / "longer name here.text").c_str(), shortPath, MAX_PATH);
    std::string full(shortPath, n), shortName = full.substr(full.rfind('\\') + 1);
    if (shortName == "longer name here.text") GTEST_SKIP() << "this volume makes no short names";
    TArchiverOptions o;
    o.ji = 1;
    EXPECT_EQ(Select(o, {"longer*"}), Names{shortName});
    o.ji = -1;
    EXPECT_EQ(Select(o, {"longer*"}), Names{"longer name here.text"});
}

TEST_F(Selection, JfMinusTwoMakesFullNamesRelativeToTheBaseDirectoryPart) {
    TArchiverOptions o;
    o.jf = -2;
    bool abort = false;
    std::string base = Base();
    // With its trailing backslash the base itself is the directory part.
    EXPECT_EQ(SelectFiles(Temp, o, base, nullptr, {base + "sub\\*.txt", "a.txt"}, abort),
              (Names{"a.txt", "sub\\a.txt", "sub\\c.txt"}));
    o.jf = -2;
    std::string noSlash = base.substr(0, base.size() - 1);
    std::string folder = noSlash.substr(noSlash.rfind('\\') + 1);
    EXPECT_EQ(SelectFiles(Temp, o, noSlash, nullptr, {base + "sub\\c.txt"}, abort),
              Names{folder + "\\sub\\c.txt"});
}

TEST_F(Selection, TheCurrentDirectoryComesBackAlsoAfterAnError) {
    const std::string before = CurrentDir();
    TArchiverOptions o;
    Select(o, {"a.txt"});
    EXPECT_EQ(CurrentDir(), before);
    o.jo = "241332";  // month 13
    EXPECT_THROW(Select(o, {"a.txt"}), EConvertError);
    EXPECT_EQ(CurrentDir(), before);
    TArchiverOptions fine;
    bool abort = false;
    EXPECT_THROW(SelectFiles(Temp, fine, Dir / "no such folder", nullptr, {"a.txt"}, abort), EInOutError);
    EXPECT_EQ(CurrentDir(), before);
    EXPECT_TRUE(Temp.empty());
}

TEST(ParseDate, LengthsAndValidation) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const int century = now.wYear / 100 * 100;
    EXPECT_EQ(ParseDate(kUnsetText, "000000"), 0);
    EXPECT_EQ(ParseDate("", "000000"), 0);
    EXPECT_EQ(ParseDate("2401011", "000000"), 0);
    EXPECT_EQ(ParseDate("240101", "000000"), ParseDate(std::to_string(century + 24) + "0101", "000000"));
    EXPECT_EQ(ParseDate("240101", "235959") - ParseDate("240101", "000000"), 86399);
    EXPECT_EQ(ParseDate("240101123456", "000000") - ParseDate("240101", "000000"), 12 * 3600 + 34 * 60 + 56);
    EXPECT_EQ(ParseDate("l20240101", "000000"), ParseDate("20240101", "000000"));
    EXPECT_EQ(ParseDate("20240301", "000000") - ParseDate("20240228", "000000"), 2 * 86400);  // leap day
    EXPECT_EQ(ParseDate("20230301", "000000") - ParseDate("20230228", "000000"), 86400);
    for (const char* bad : {"20230229", "20241301", "20240100", "2024010a", "20240101240000",
                            "20240101006000", "l24a101", "24010199"})
        EXPECT_THROW(ParseDate(bad, "000000"), EConvertError) << bad;
}

TEST(JoinPath, DelimitersAndDoubleByteEndings) {
    EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
    EXPECT_EQ(JoinPath("sub\\", "a.txt"), "sub\\a.txt");
    EXPECT_EQ(JoinPath("sub", "a.txt"), "sub\\a.txt");
    EXPECT_EQ(JoinPath("sub/", "a.txt"), "sub/a.txt");
    EXPECT_EQ(JoinPath("C:", "a.txt"), "C:a.txt");
    // "ソ" ends in the byte 0x5C but is no backslash.
    EXPECT_EQ(JoinPath("\x83\x5C", "a.txt"), "\x83\x5C\\a.txt");
}

TEST(ExtractRelativePath, DrivesAndSharedFolders) {
    EXPECT_EQ(ExtractRelativePath("C:\\x\\y\\", "C:\\x\\z\\f.txt"), "..\\z\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\X\\", "c:\\x\\sub\\f.txt"), "sub\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\x", "C:\\x\\f.txt"), "x\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\x\\", "D:\\x\\f.txt"), "D:\\x\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\x\\", "sub\\f.txt"), "sub\\f.txt");
}

TEST(SortedList, CaseBlindUniqueAndDoubleByteSafe) {
    TSortedList list;
    EXPECT_TRUE(list.Add("b.txt"));
    EXPECT_TRUE(list.Add("A.txt"));
    EXPECT_FALSE(list.Add("a.TXT"));
    // 0x83 0x61 and 0x83 0x41 are two different characters: no ASCII case folding of trail bytes.
    EXPECT_TRUE(list.Add("\x83\x61"));
    EXPECT_TRUE(list.Add("\x83\x41"));
    EXPECT_TRUE(list.Contains("B.TXT"));
    EXPECT_EQ(list.Items().front(), "A.txt");
    EXPECT_EQ(list.Count(), 4u);
}
