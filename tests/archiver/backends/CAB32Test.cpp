// The CAB and RAR back-ends: their command lines, what they refuse, and their probes, against the
// test library built as CAB32.DLL and UNRAR32.DLL.
#include <gtest/gtest.h>

#include "BackendTestSupport.h"
#include "CAB32.h"
#include "RAR32.h"

using namespace arc;
using backend_test::ArchiverMessage;
using testing_support::TempDir;

namespace {

class CabRarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TCab32::FreeDLL();
        TRar32::FreeDLL();
        ASSERT_TRUE(backend_test::SearchLibrariesIn(testdll::FormatsDir()));
    }
    void TearDown() override {
        TCab32::FreeDLL();
        TRar32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
};

}  // namespace

TEST_F(CabRarTest, CabLinesAndSwitches) {
    TCab32 cab;
    TArchiverOptions o;
    EXPECT_EQ("-a  \"C:\\a.cab\" \"C:\\B\\\" \"x.txt\" ",
              cab.PackCommand(nullptr, "C:\\a.cab", o, "C:\\B", {"x.txt"}, false));
    o.c = 1, o.n = 1, o.r = 1, o.w = "C:\\Work", o.x = 0, o.ji = 1, o.UserOptions = "-u";
    EXPECT_EQ("-x -o -i -r \"-hC:\\Work\\\" -j -q -u \"C:\\a.cab\" \"D:\\\" ",
              cab.ExtractCommand(nullptr, "C:\\a.cab", o, "D:\\", {}, false));
    o = TArchiverOptions();
    o.c = 2, o.w = "";  // only c = 1 overwrites; an empty work folder is not written
    EXPECT_EQ("-f  \"C:\\a.cab\" \"C:\\Out\\\" ", cab.SfxCommand(nullptr, "C:\\a.cab", o, "C:\\Out"));
    ASSERT_TRUE(cab.SetOwnerWindow(::GetDesktopWindow(), nullptr));
    EXPECT_EQ(" -i  \"C:\\a.cab\" \"e.txt\" ", cab.ExtractMemCommand(nullptr, "C:\\a.cab", o, "e.txt"));
    cab.KillOwnerWindow(::GetDesktopWindow());
    EXPECT_EQ("この形式の書庫ではファイルの削除をサポートしておりません。",
              ArchiverMessage([&] { cab.DeleteCommand(nullptr, "C:\\a.cab", o, "", {"x"}, false); }));
}

TEST_F(CabRarTest, CabResponseFileFollowsResFileUsage) {
    TempDir temp("cab32");
    TCab32 cab;
    TArchiverOptions o;
    o.ResFileName = temp / "resp.txt";
    o.ResFileUsage = {TResFileUse::ruOnPack};
    EXPECT_EQ("-x  \"C:\\a.cab\" \"x.txt\" ",
              cab.ExtractCommand(nullptr, "C:\\a.cab", o, "", {"x.txt"}, true));
    EXPECT_EQ("-a  \"C:\\a.cab\" \"@" + o.ResFileName + "\" ",
              cab.PackCommand(nullptr, "C:\\a.cab", o, "", {"x.txt"}, false));
    EXPECT_EQ("\"x.txt\"\r\n", testing_support::ReadFileBytes(o.ResFileName));
}

TEST_F(CabRarTest, RarExtractsWithXOrWithoutFoldersWithEAndBuildsNothingElse) {
    TRar32 rar;
    TArchiverOptions o;
    EXPECT_EQ("-x -u  \"C:\\a.rar\" \"D:\\x\\\" ",
              rar.ExtractCommand(nullptr, "C:\\a.rar", o, "D:\\x", {}, false));
    o.x = 0;
    EXPECT_EQ("-e -u  \"C:\\a.rar\" \"D:\\x\\\" ",
              rar.ExtractCommand(nullptr, "C:\\a.rar", o, "D:\\x", {}, false));
    o.x = 1, o.c = 1, o.m = 1, o.p = 1;
    EXPECT_EQ("-x -y -s  \"C:\\a.rar\" ", rar.ExtractCommand(nullptr, "C:\\a.rar", o, "", {}, false));
    EXPECT_EQ(" -y -s  \"C:\\a.rar\" \"e.txt\" ", rar.ExtractMemCommand(nullptr, "C:\\a.rar", o, "e.txt"));
    EXPECT_EQ("この形式では書庫ファイルの作成をサポートしておりません。",
              ArchiverMessage([&] { rar.PackCommand(nullptr, "C:\\a.rar", o, "", {"x"}, false); }));

    testdll::Client library = backend_test::LibraryOf(rar.Dll());
    library.Clear();
    std::string cmdLine, output;
    o.x = 0;
    rar.Extract(nullptr, "C:\\a.rar", o, "D:\\x", {}, false, cmdLine, output);
    EXPECT_EQ("Unrar|window=null|cmd=-e -y -s  \"C:\\a.rar\" \"D:\\x\\\" |output=null|size=0\n",
              library.Log());
}

TEST_F(CabRarTest, ProbesOpenTheFullNameAndNeverRaise) {
    TempDir temp("cab32");
    ASSERT_TRUE(testdll::WriteArchive(temp / "a.bin", {}, " only=CAB32"));
    EXPECT_TRUE(IsCabArchive(temp / "a.bin"));
    EXPECT_FALSE(IsRarArchive(temp / "a.bin"));
    EXPECT_FALSE(IsCabArchive(temp / "missing.cab"));
    TRar32 rar;
    testdll::Client unrar = backend_test::LibraryOf(rar.Dll());
    unrar.Clear();
    ASSERT_TRUE(testdll::WriteArchive(temp / "a.bin", {}, " only=UNRAR32"));
    EXPECT_TRUE(IsRarArchive(temp / "a.bin"));
    EXPECT_EQ("OpenArchive|window=null|" + temp.Path() + "a.bin|mode=8388610\nCloseArchive|set\n",
              unrar.Log());

    TCab32::FreeDLL();
    TRar32::FreeDLL();
    TempDir empty("cab32");
    ASSERT_TRUE(backend_test::SearchLibrariesIn(empty.Path()));
    EXPECT_FALSE(IsRarArchive(temp / "a.bin"));
    EXPECT_EQ("CAB 形式書庫 を扱うには CAB32.DLL が 必要です。", ArchiverMessage([] { TCab32 missing; }));
}
