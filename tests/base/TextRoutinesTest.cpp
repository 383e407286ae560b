#include "TextRoutines.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace ostra;

TEST(TextRoutines, BackslashesAreAddedAndRemovedOnce) {
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("C:\\Data"), "C:\\Data\\");
    EXPECT_EQ(AddBackslash("C:\\Data\\"), "C:\\Data\\");
    EXPECT_EQ(RemoveBackslash(""), "");
    EXPECT_EQ(RemoveBackslash("C:\\Data\\"), "C:\\Data");
    EXPECT_EQ(RemoveBackslash("C:\\Data\\\\"), "C:\\Data\\");
    EXPECT_EQ(RemoveBackslash("C:\\Data"), "C:\\Data");
}

TEST(TextRoutines, ForwardSlashesReadAsBackslashes) {
    EXPECT_EQ(WithBackslashes("C:/Data/Mail"), "C:\\Data\\Mail");
    EXPECT_EQ(WithBackslashes("//server/share/表/x"), "\\\\server\\share\\表\\x");
    EXPECT_EQ(WithBackslashes("C:\\Data"), "C:\\Data");
}

TEST(TextRoutines, TrailByte5CIsNoBackslash) {
    // ソ and 表 end in byte 0x5C in code page 932.
    const std::string so = "C:\\ソ";
    const std::string hyou = "C:\\表";
    ASSERT_EQ(static_cast<unsigned char>(so.back()), 0x5C);
    EXPECT_EQ(AddBackslash(so), so + "\\");
    EXPECT_EQ(AddBackslash(hyou), hyou + "\\");
    EXPECT_EQ(RemoveBackslash(hyou), hyou);
    EXPECT_EQ(RemoveBackslash(hyou + "\\"), hyou);
    EXPECT_EQ(ExtractFileName("C:\\表\\能力.txt"), "能力.txt");
    EXPECT_EQ(ExtractFileName("C:\\データ\\表"), "表");
    EXPECT_EQ(ExtractFilePath("C:\\データ\\表"), "C:\\データ\\");
}

TEST(TextRoutines, DrivesAndCharacterStepsSeeDoubleByteCharacters) {
    EXPECT_EQ(ExtractFileDrive("C:\\Data\\a"), "C:");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\a"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share"), "\\\\server\\share");
    // A server named 表 (trail byte 0x5C): the trail byte is no separator.
    EXPECT_EQ(ExtractFileDrive("\\\\表\\ソ\\a"), "\\\\表\\ソ");
    EXPECT_EQ(ExtractFileDrive("Data\\a"), "");

    const std::string s = "a表b";  // 'a', 95 5C, 'b'
    EXPECT_EQ(NextChar(s, 0), 1u);
    EXPECT_EQ(NextChar(s, 1), 3u);
    EXPECT_TRUE(IsCharStart(s, 1));
    EXPECT_FALSE(IsCharStart(s, 2));
    EXPECT_TRUE(IsCharStart(s, 3));
    // A lead byte cut off at the end is one character of its own.
    const std::string cut = s.substr(0, 2);
    EXPECT_EQ(NextChar(cut, 1), 2u);
}

TEST(TextRoutines, FileNameIsAfterLastBackslashOrColon) {
    EXPECT_EQ(ExtractFileName("C:\\Data\\memo.txt"), "memo.txt");
    EXPECT_EQ(ExtractFileName("C:memo.txt"), "memo.txt");
    EXPECT_EQ(ExtractFileName("memo.txt"), "memo.txt");
    EXPECT_EQ(ExtractFileName("C:\\Data\\"), "");
}

TEST(TextRoutines, CutAndGetToken) {
    std::string t = "a,b,c";
    EXPECT_EQ(CutToken(t, ","), "a");
    EXPECT_EQ(t, "b,c");
    EXPECT_EQ(CutToken(t, ","), "b");
    EXPECT_EQ(CutToken(t, ","), "c");
    EXPECT_EQ(t, "");
    EXPECT_EQ(CutToken(t, ","), "");

    std::string u = "one::two::three";
    EXPECT_EQ(GetToken(u, "::", 1), "two");
    EXPECT_EQ(u, "three");
    std::string v = "x,y";
    EXPECT_EQ(GetToken(v, ",", 0), "x");
    EXPECT_EQ(v, "y");
    std::string w = "only";
    EXPECT_EQ(GetToken(w, ",", 2), "");
    EXPECT_EQ(w, "");
}

TEST(TextRoutines, TokenSearchStepsOverDoubleByteCharacters) {
    // The trail byte of 表 is 0x5C: a backslash separator must not cut it.
    std::string t = "表\\x";
    EXPECT_EQ(CutToken(t, "\\"), "表");
    EXPECT_EQ(t, "x");
}

TEST(TextRoutines, BoolToIniStrAndTrim) {
    EXPECT_STREQ(BoolToIniStr(true), "1");
    EXPECT_STREQ(BoolToIniStr(false), "0");
    EXPECT_EQ(Trim(" \t1 \r\n"), "1");
    EXPECT_EQ(Trim(""), "");
}

TEST(TextRoutines, AppDirIsTheProgramFolderWithBackslash) {
    std::string dir = AppDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    EXPECT_EQ(std::string(path).rfind(dir, 0), 0u);
    EXPECT_EQ(std::string(path).find('\\', dir.size()), std::string::npos);
}
