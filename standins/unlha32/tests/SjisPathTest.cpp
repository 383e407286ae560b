// Shift-JIS-aware name handling and the rules that keep extracted names inside the destination.
#include <gtest/gtest.h>

#include "SafeName.h"
#include "SjisPath.h"

using namespace unlha;

namespace {

TEST(SjisPathTest, TrailByte5CIsPartOfItsCharacter) {
    EXPECT_FALSE(EndsWithBackslash("C:\\表"));
    EXPECT_TRUE(EndsWithBackslash("C:\\表\\"));
    EXPECT_EQ("C:\\表\\", AddBackslash("C:\\表"));
    EXPECT_EQ((std::vector<std::string>{"ソ表能", "x"}), SplitComponents("ソ表能\\x"));
    EXPECT_EQ("ソ表能\\", DirectoryPart("ソ表能\\予定表"));
    EXPECT_EQ("予定表", LastComponent("ソ表能\\予定表"));
    EXPECT_EQ("表\\a", ToBackslashes("表/a"));
    // Case folding leaves trail bytes alone: 'A'..'Z' codes appear as trail bytes too.
    EXPECT_NE(FoldName("\x83\x41"), FoldName("\x83\x61"));
    EXPECT_TRUE(SameName("Sub/ABC.txt", "sub\\abc.TXT"));
}

TEST(SjisPathTest, WildcardsMatchWholeCharacters) {
    EXPECT_TRUE(WildcardMatch("*.*", "noext"));
    EXPECT_TRUE(WildcardMatch("*.txt", "sub\\a.TXT"));
    EXPECT_TRUE(WildcardMatch("sub\\*", "sub\\deep\\a"));
    EXPECT_FALSE(WildcardMatch("sub\\*", "other\\a"));
    EXPECT_TRUE(WildcardMatch("?.txt", "表.txt"));  // one question mark, one double-byte character
    EXPECT_FALSE(WildcardMatch("??.txt", "表.txt"));
    EXPECT_TRUE(WildcardMatch("表\\*", "表\\x"));
    EXPECT_FALSE(WildcardMatch("*\\x", "表x"));  // the trail byte of 表 is not a backslash
    EXPECT_TRUE(WildcardMatch("name.*", "name"));
    EXPECT_FALSE(WildcardMatch("a*b", "acbd"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
}

TEST(SjisPathTest, SafeNamesStayInsideTheDestination) {
    EXPECT_EQ("sub\\a.txt", SafeRelativeName("sub/a.txt").value());
    EXPECT_EQ("evil.txt", SafeRelativeName("C:\\evil.txt").value());
    EXPECT_EQ("win\\x", SafeRelativeName("\\\\?\\C:\\win\\x").value());
    EXPECT_EQ("x", SafeRelativeName("/C:/x").value());
    EXPECT_EQ("etc\\passwd", SafeRelativeName("/etc/passwd").value());
    EXPECT_EQ("a\\b", SafeRelativeName("./a/./b").value());
    EXPECT_FALSE(SafeRelativeName("..\\x").has_value());
    EXPECT_FALSE(SafeRelativeName("a\\..\\..\\x").has_value());
    EXPECT_FALSE(SafeRelativeName("a/../x").has_value());
    EXPECT_FALSE(SafeRelativeName("").has_value());
    EXPECT_FALSE(SafeRelativeName("\\").has_value());
    EXPECT_EQ("_nul.txt", SafeRelativeName("nul.txt").value());
    EXPECT_EQ("_COM1", SafeRelativeName("COM1").value());
    EXPECT_EQ("COM10", SafeRelativeName("COM10").value());
    EXPECT_EQ("stream", SafeRelativeName("f:stream").value());  // drive-relative: the drive goes
    EXPECT_EQ("d\\f_s", SafeRelativeName("d\\f:s").value());
    EXPECT_EQ("a_b_c", SafeRelativeName("a<b>c").value());
    EXPECT_EQ("dots", SafeRelativeName("dots...").value());
    EXPECT_EQ("ソ表能\\予定表", SafeRelativeName("ソ表能\\予定表").value());
    EXPECT_EQ("表", SafeRelativeName("C:表").value());
}

}  // namespace
