// The command-line builder: quoting of switches and paths, the unset marker, directories with
// double-byte last characters, file lists inline and in a response file.
#include <gtest/gtest.h>

#include <system_error>

#include "ArchiverOptions.h"
#include "CmdOpt.h"
#include "TestSupport.h"

using namespace arc;
using testing_support::TempDir;

TEST(CmdOptTest, EveryItemIsPrecededByOneBlankEvenAnEmptyOne) {
    TCmdOpt cmd;
    EXPECT_EQ("", cmd.CmdLine);
    cmd.Add("-+");
    cmd.Add("");
    cmd.Add("x");
    EXPECT_EQ(" -+  x", cmd.CmdLine);
}

TEST(CmdOptTest, PathOptionsRunTogetherInOnePairOfQuotesOrSeparately) {
    TCmdOpt joined;
    joined.AddPathOption("jx", "My Files\\*.bak");
    joined.AddPathOption("", "C:\\a b.lzh");
    joined.AddPathOption(" o", "x");  // a leading blank: no dash, no blank
    EXPECT_EQ(" \"-jxMy Files\\*.bak\" \"C:\\a b.lzh\" \"ox\"", joined.CmdLine);

    TCmdOpt separate;
    separate.SeparateValue = true;
    separate.AddPathOption("jx", "My Files\\*.bak");
    separate.AddPathOption("", "C:\\a b.lzh");
    separate.AddPathOption(" o", "x");
    EXPECT_EQ(" -jx \"My Files\\*.bak\" \"C:\\a b.lzh\" o \"x\"", separate.CmdLine);
}

TEST(CmdOptTest, UnsetMarkerAddsNothingWhileAnEmptyPathIsASwitchWithoutValue) {
    TCmdOpt cmd;
    cmd.AddPathOption("w", kUnsetText);
    cmd.AddFile("", kUnsetText);
    EXPECT_EQ("", cmd.CmdLine);
    cmd.AddPathOption("w", "");
    EXPECT_EQ(" \"-w\"", cmd.CmdLine);

    TCmdOpt separate;
    separate.SeparateValue = true;
    separate.AddPathOption("w", "");
    EXPECT_EQ(" -w \"\"", separate.CmdLine);
}

TEST(CmdOptTest, NumbersAndFlags) {
    TCmdOpt cmd;
    cmd.AddNumber("a", -1);
    cmd.AddNumber("x", -128);
    cmd.AddFlag("i", false);
    EXPECT_EQ("", cmd.CmdLine);
    cmd.AddNumber("n", 0);
    cmd.AddNumber("jm", 127);
    cmd.AddFlag("i", true);
    EXPECT_EQ(" -n0 -jm127 -i", cmd.CmdLine);
}

TEST(CmdOptTest, DirectoriesGetATrailingBackslashReadAsWholeCharacters) {
    ASSERT_EQ(932u, ::GetACP()) << "the tests run in code page 932";
    // "表" in code page 932 is 95 5C: its second byte has the backslash code.
    const std::string hyo = "C:\\表";
    ASSERT_EQ('\x5C', hyo.back());

    TCmdOpt cmd;
    cmd.AddDir("", "C:\\Base");
    cmd.AddDir("", "C:\\Base\\");
    cmd.AddDir("", hyo);
    cmd.AddDir("w", hyo + "\\");
    cmd.AddDir("", "");
    cmd.AddDir("w", kUnsetText);
    EXPECT_EQ(" \"C:\\Base\\\" \"C:\\Base\\\" \"C:\\表\\\" \"-wC:\\表\\\"", cmd.CmdLine);
}

TEST(CmdOptTest, FilesAreQuotedInOrderThroughTheNameConverter) {
    TCmdOpt cmd;
    cmd.NameConverter = [](const std::string& name) { return "[" + name + "]"; };
    TStrings names = {"a.txt", "", "sub\\b c.txt"};
    EXPECT_EQ(3, cmd.AddFiles("", {names, "last.txt"}));
    EXPECT_EQ(1, cmd.AddFiles("jx", {"*.bak"}));
    EXPECT_EQ(0, cmd.AddFiles("", {}));
    EXPECT_EQ(" \"[a.txt]\" \"[sub\\b c.txt]\" \"[last.txt]\" \"-jx[*.bak]\"", cmd.CmdLine);
}

TEST(CmdOptTest, ResponseFileHoldsQuotedNamesInCrLfLinesAndReplacesAnOldFile) {
    TempDir temp("cmdopt");
    std::string resp = temp / "resp file.txt";
    ASSERT_TRUE(testing_support::WriteFileBytes(resp, std::string(500, 'o')));

    TCmdOpt cmd;
    cmd.Add("u");
    cmd.NameConverter = [](const std::string& name) { return name == "表.txt" ? "hyo.txt" : name; };
    EXPECT_EQ(3, cmd.AddResponseFile({TStrings{"a.txt", "sub\\b c.txt"}, "", "表.txt"}, resp));
    EXPECT_EQ("\"a.txt\"\r\n\"sub\\b c.txt\"\r\n\"hyo.txt\"\r\n", testing_support::ReadFileBytes(resp));
    EXPECT_EQ(" u \"@" + resp + "\"", cmd.CmdLine);

    TCmdOpt none;
    EXPECT_EQ(0, none.AddResponseFile({}, resp));
    EXPECT_EQ("", testing_support::ReadFileBytes(resp));
    EXPECT_EQ(" \"@" + resp + "\"", none.CmdLine);
}

TEST(CmdOptTest, ResponseFileThatCannotBeCreatedRaisesAndLeavesTheLineAlone) {
    TempDir temp("cmdopt");
    TCmdOpt cmd;
    cmd.Add("u");
    EXPECT_THROW(cmd.AddResponseFile({"a.txt"}, temp / "missing\\resp.txt"), std::system_error);
    EXPECT_EQ(" u", cmd.CmdLine);
    EXPECT_FALSE(testing_support::Exists(temp / "missing"));
}

// Run by response_file_full_disk.sh with the file size limited (PELMIRA_FILE_SIZE_LIMIT bytes):
// the response file can be made, but not written whole.
TEST(CmdOptTest, AResponseFileWhoseWriteFailsIsRemoved) {
    char limit[32] = {};
    if (!GetEnvironmentVariableA("PELMIRA_FILE_SIZE_LIMIT", limit, sizeof limit))
        GTEST_SKIP() << "needs a limited file size (response_file_full_disk.sh)";
    TempDir temp("cmdopt");
    const std::string resp = temp / "resp.txt";
    const TStrings names(std::stoul(limit) / 10 + 1, "name.txt");  // 12 bytes a line
    TCmdOpt cmd;
    cmd.Add("u");
    EXPECT_THROW(cmd.AddResponseFile({names}, resp), std::system_error);
    EXPECT_EQ(" u", cmd.CmdLine);
    EXPECT_FALSE(testing_support::Exists(resp)) << "the half-written response file stayed";
}
