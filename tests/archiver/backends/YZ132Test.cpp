// The YZ1 back-end: the two library names, the password retries, its switches and its
// self-extractor with the size trailer, against the test library built as YYZ32.DLL and YZ1.DLL.
#include <gtest/gtest.h>

#include <optional>

#include "BackendTestSupport.h"
#include "YZ132.h"

using namespace arc;
using backend_test::ArchiverMessage;
using backend_test::LibraryFolder;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

class Yz1Test : public ::testing::Test {
  protected:
    void SetUp() override { TYZ1::FreeDLL(); }
    void TearDown() override {
        TYZ1::FreeDLL();
        Libs.reset();
    }
    void Use(std::initializer_list<std::string> names) {
        TYZ1::FreeDLL();
        Libs.reset();
        Libs.emplace(names);
        ASSERT_TRUE(Libs->Ready());
    }
    static TYZ1Dll& Binding(TYZ1& yz1) { return dynamic_cast<TYZ1Dll&>(yz1.Dll()); }

    TempDir temp{"yz132"};
    std::optional<LibraryFolder> Libs;
};

}  // namespace

TEST_F(Yz1Test, TakesYyz32FirstAndYz1WhenItIsTheOnlyOne) {
    Use({"YYZ32.DLL", "YZ1.DLL"});
    {
        TYZ1 yz1;
        EXPECT_EQ("YYZ32.DLL", Binding(yz1).DllName());
    }
    Use({"YZ1.DLL"});
    TYZ1 yz1;
    EXPECT_EQ("YZ1.DLL", Binding(yz1).DllName());
    EXPECT_EQ("YZ1 形式書庫", Binding(yz1).Description());
    EXPECT_EQ(Libs->Path() + "YZ1.DLL", ModuleFileName(Binding(yz1).Handle()));

    Use({});
    EXPECT_EQ("Yz1 形式書庫を扱うには YYZ32.DLL か YZ1.DLL が必要です。", ArchiverMessage([] { TYZ1 none; }));
    EXPECT_FALSE(IsYz1Archive(temp / "a.yz1"));
}

TEST_F(Yz1Test, WrongPasswordsAreAskedForFourTimesThenTheLibrarysAnswerStands) {
    Use({"YZ1.DLL"});
    const std::string archive = temp / "secret.yz1";
    ASSERT_TRUE(testdll::WriteArchive(archive, {"a.txt|1|1|0|0|-|-|-"}, " password=right"));
    TYZ1 yz1;
    testdll::Client library = backend_test::LibraryOf(yz1.Dll());
    library.SetText("password", "wrong");
    HWND owner = ::GetDesktopWindow();
    HARC h = yz1.OpenArchive(owner, archive, 0);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(owner, Binding(yz1).PasswordWindow());
    library.Clear();
    TEntryRecord e;
    EXPECT_EQ(kPasswordNeeded, yz1.FindFirst(h, e, "*.*"));
    std::string round = "FindFirst|*.*\nPasswordDialog|window=set|size=256\nSetDefaultPassword|wrong\n";
    EXPECT_EQ(round + round + round + round, library.Log());

    // The right one on the second dialog: two searches.
    library.Clear();
    library.SetText("password", "right");
    EXPECT_EQ(0, yz1.FindFirst(h, e, "*.*"));
    EXPECT_EQ("a.txt", FieldText(e.FileName));
    EXPECT_EQ(0u, library.Log().find("FindFirst|*.*\nPasswordDialog|window=set|size=256\n"
                                     "SetDefaultPassword|right\nFindFirst|*.*\nGetWriteTimeEx"))
        << library.Log();
    yz1.CloseArchive(h);
}

TEST_F(Yz1Test, ACancelledDialogEndsTheSearchAtOnce) {
    Use({"YYZ32.DLL"});
    const std::string archive = temp / "secret.yz1";
    ASSERT_TRUE(testdll::WriteArchive(archive, {"a.txt|1|1|0|0|-|-|-"}, " password=right"));
    TYZ1 yz1;
    testdll::Client library = backend_test::LibraryOf(yz1.Dll());
    library.Set("dialog", -1);
    HARC h = yz1.OpenArchive(nullptr, archive, 0);
    library.Clear();
    TEntryRecord e;
    EXPECT_EQ(kPasswordNeeded, yz1.FindFirst(h, e, "*.*"));
    EXPECT_EQ("FindFirst|*.*\nPasswordDialog|window=null|size=256\n", library.Log());
    library.Set("dialog", 0);
    yz1.CloseArchive(h);
}

TEST_F(Yz1Test, CompressionSwitchesFollowM) {
    Use({"YZ1.DLL"});
    TYZ1 yz1;
    TArchiverOptions o;
    auto line = [&] { return yz1.PackCommand(nullptr, "C:\\a.yz1", o, "", {}, false); };
    EXPECT_EQ("c -+  \"C:\\a.yz1\" ", line());  // m unset: no -y
    o.c = 1, o.m = 0;
    EXPECT_EQ("c -+ -c2 -y2  \"C:\\a.yz1\" ", line());
    o.m = 9;
    EXPECT_EQ("c -+ -c1 -y0  \"C:\\a.yz1\" ", line());
    o.m = 1, o.n = 1, o.p = 3, o.x = 0;
    EXPECT_EQ("x -+ -c1 -y1 -i -z3 -x0  \"C:\\a.yz1\" \"D:\\\" ",
              yz1.ExtractCommand(nullptr, "C:\\a.yz1", o, "D:\\", {}, false));
    EXPECT_EQ("この形式の書庫ではファイルの削除をサポートしておりません。",
              ArchiverMessage([&] { yz1.DeleteCommand(nullptr, "C:\\a.yz1", o, "", {}, false); }));
}

TEST_F(Yz1Test, SelfExtractorEndsWithTheArchiveSizeBigEndian) {
    Use({"YZ1.DLL"});
    TYZ1 yz1;
    const std::string archive = temp / "a.yz1";
    ASSERT_TRUE(WriteFileBytes(archive, std::string(1000, 'y')));
    TArchiverOptions o;
    std::string cmdLine, output;
    EXPECT_EQ("yz1 書庫からのDOS自己解凍書庫の作成には yzdos16.sfx が必要です。",
              ArchiverMessage([&] { yz1.MakeSfx(nullptr, archive, o, "", cmdLine, output); }));
    o.gw = 1;
    EXPECT_EQ("yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。",
              ArchiverMessage([&] { yz1.MakeSfx(nullptr, archive, o, "", cmdLine, output); }));

    TempDir stubs("yzstub");
    ASSERT_TRUE(WriteFileBytes(stubs / "yzdec.exe", "DEC"));
    backend_test::SearchPathFirst path(stubs.Path());
    EXPECT_EQ(0, yz1.MakeSfx(nullptr, archive, o, "", cmdLine, output));
    EXPECT_EQ("DEC" + std::string(1000, 'y') + std::string("\x00\x00\x03\xE8", 4),
              ReadFileBytes(temp / "a.exe"));
    // The console stub comes first (into a folder of its own: a.exe above is no self-extractor
    // of that stub, and would not be replaced).
    ASSERT_TRUE(WriteFileBytes(stubs / "yzw32cui.sfx", "CUI"));
    EXPECT_EQ(0, yz1.MakeSfx(nullptr, archive, o, stubs.Path(), cmdLine, output));
    EXPECT_EQ("CUI", ReadFileBytes(stubs / "a.exe").substr(0, 3));
}

TEST_F(Yz1Test, ProbeNeedsTheFileAndOpensIt) {
    Use({"YZ1.DLL"});
    ASSERT_TRUE(testdll::WriteArchive(temp / "a.bin", {}));
    EXPECT_TRUE(IsYz1Archive(temp / "a.bin"));
    // A missing file is no archive, and the library is not even asked about it.
    TYZ1 yz1;
    const testdll::Client library(Binding(yz1).Handle());
    library.Clear();
    EXPECT_FALSE(IsYz1Archive(temp / "missing.yz1"));
    EXPECT_EQ(library.Log(), "");
    ASSERT_TRUE(testdll::WriteArchive(temp / "a.bin", {}, " only=CAB32"));
    EXPECT_FALSE(IsYz1Archive(temp / "a.bin"));
}
