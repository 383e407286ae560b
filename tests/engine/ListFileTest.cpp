#include "ListFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "FolderEntry.h"
#include "TestSupport.h"

using namespace ostra;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(ListFile, LineEndsOfEveryKindAndEmptyMiddleLines) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (TStrings{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (TStrings{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\nb\n"), (TStrings{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\rb"), (TStrings{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\r"), (TStrings{"a", ""}));  // LF then a lone CR: two line ends
    EXPECT_EQ(SplitLines(""), TStrings{});
    EXPECT_EQ(SplitLines("\r\n"), TStrings{""});
}

TEST(ListFile, NulEndsTheText) {
    EXPECT_EQ(SplitLines(std::string("a\r\nb\0c\r\nd", 9)), (TStrings{"a", "b"}));
    EXPECT_EQ(SplitLines(std::string("\0a", 2)), TStrings{});
}

TEST(ListFile, SaveWritesCrLfAndLoadReplacesTheList) {
    TempDir dir;
    const TStrings entries = {"C:\\データ\\表.txt", "", "C:\\ソ\\memo.txt"};
    SaveList(dir / "backup.ini", entries);
    EXPECT_EQ(ReadFileBytes(dir / "backup.ini"), "C:\\データ\\表.txt\r\n\r\nC:\\ソ\\memo.txt\r\n");
    TStrings loaded = {"old"};
    ASSERT_TRUE(LoadList(dir / "backup.ini", loaded));
    EXPECT_EQ(loaded, entries);

    SaveList(dir / "empty.ini", {});
    EXPECT_EQ(ReadFileBytes(dir / "empty.ini"), "");
    ASSERT_TRUE(LoadList(dir / "empty.ini", loaded));
    EXPECT_TRUE(loaded.empty());
}

TEST(ListFile, MissingFileGivesEmptyListAndFailedSaveKeepsTheOldFile) {
    TempDir dir;
    TStrings list = {"x"};
    EXPECT_FALSE(LoadList(dir / "none.ini", list));
    EXPECT_TRUE(list.empty());

    ASSERT_TRUE(WriteFileBytes(dir / "keep.ini", "old\r\n"));
    // Hold the file open without sharing: the replacement cannot happen.
    HANDLE h = CreateFileA((dir / "keep.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_THROW(SaveList(dir / "keep.ini", {"new"}), std::runtime_error);
    CloseHandle(h);
    EXPECT_EQ(ReadFileBytes(dir / "keep.ini"), "old\r\n");
    EXPECT_FALSE(testing_support::Exists(dir / "keep.ini.~tmp"));
}

TEST(FolderEntry, FieldsOfARunLine) {
    TFolderEntry e = ParseFolderEntry("C:\\Data\\Mail,Mail,*.*,0");
    EXPECT_EQ(e.Folder, "C:\\Data\\Mail\\");
    EXPECT_EQ(e.Title, "Mail");
    EXPECT_EQ(e.Filter, "*.*");
    EXPECT_FALSE(e.Subfolders);
    EXPECT_EQ(e.Patterns, TStrings{"*.*"});

    TFolderEntry none = ParseFolderEntry("C:\\Data");
    EXPECT_EQ(none.Folder, "C:\\Data\\");
    EXPECT_EQ(none.Title, "");
    EXPECT_EQ(none.Filter, "");
    EXPECT_TRUE(none.Patterns.empty());
    EXPECT_FALSE(none.Subfolders);
}

TEST(FolderEntry, FiltersSplitAtSemicolonsAndBlanks) {
    TFolderEntry a = ParseFolderEntry("C:\\Data,Data,*.txt;*.doc,1");
    EXPECT_EQ(a.Patterns, (TStrings{"*.txt", "*.doc"}));
    EXPECT_TRUE(a.Subfolders);
    TFolderEntry b = ParseFolderEntry("C:\\Data,Data,*.txt *.doc,0");
    EXPECT_EQ(b.Patterns, (TStrings{"*.txt", "*.doc"}));
    EXPECT_FALSE(b.Subfolders);
    EXPECT_TRUE(ParseFolderEntry("C:\\Data,Data,*.*, 1 ").Subfolders);
    EXPECT_TRUE(ParseFolderEntry("C:\\Data,Data,*.*,\t1\t").Subfolders);
    EXPECT_FALSE(ParseFolderEntry("C:\\Data,Data,*.*,11").Subfolders);
}

TEST(FolderEntry, QuotesBlanksAndEmptyItems) {
    EXPECT_EQ(SplitPatterns("\"my file*.txt\" *.doc"), (TStrings{"my file*.txt", "*.doc"}));
    EXPECT_EQ(SplitPatterns("\"say \"\"hi\"\".txt\""), (TStrings{"say \"hi\".txt"}));
    EXPECT_EQ(SplitPatterns("  *.a ;; *.b ; "), (TStrings{"*.a", "", "*.b"}));
    EXPECT_EQ(SplitPatterns(";*.a"), (TStrings{"*.a"}));
    EXPECT_EQ(SplitPatterns(""), TStrings{});
    EXPECT_EQ(SplitPatterns("表*.txt;ソ?.doc"), (TStrings{"表*.txt", "ソ?.doc"}));
}

TEST(FolderEntry, EarlierThreeFieldLayoutReadsAsFourFields) {
    TFolderEntry e = ParseFolderEntry("C:\\Data,*.*,1");
    EXPECT_EQ(e.Title, "*.*");
    EXPECT_EQ(e.Filter, "1");
    EXPECT_EQ(e.Patterns, TStrings{"1"});
    EXPECT_FALSE(e.Subfolders);
}

TEST(FolderEntry, JapaneseFolderEndingInTrailByte5C) {
    TFolderEntry e = ParseFolderEntry("C:\\表,表,*.*,1");
    EXPECT_EQ(e.Folder, "C:\\表\\");
    EXPECT_EQ(e.Title, "表");
}
