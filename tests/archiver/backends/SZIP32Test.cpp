// The 7z back-end: the order of its items, "x" becoming "e", and its self-extractor, against the
// test library built as 7-zip32.dll.
#include <gtest/gtest.h>

#include "BackendTestSupport.h"
#include "SZIP32.h"

using namespace arc;
using backend_test::ArchiverMessage;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

class SevenZipTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TSevenZip32::FreeDLL();
        ASSERT_TRUE(backend_test::SearchLibrariesIn(testdll::FormatsDir()));
    }
    void TearDown() override {
        TSevenZip32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
    TempDir temp{"szip32"};
};

}  // namespace

TEST_F(SevenZipTest, ExtractionWithoutFoldersBecomesEAndOverwriteModesFollowMJnC) {
    TSevenZip32 sz;
    TArchiverOptions o;
    o.x = 0, o.c = 1;
    EXPECT_EQ("e -aoa -ms=off \"-oD:\\x\\\"  \"C:\\a.7z\" ",
              sz.ExtractCommand(nullptr, "C:\\a.7z", o, "D:\\x", {}, false));
    o.jn = 1;
    EXPECT_EQ("e -aos -ms=off  \"C:\\a.7z\" ", sz.ExtractCommand(nullptr, "C:\\a.7z", o, "", {}, false));
    o.m = 2;
    EXPECT_EQ("e -aou -ms=off  \"C:\\a.7z\" ", sz.ExtractCommand(nullptr, "C:\\a.7z", o, "", {}, false));
    o.x = 1;
    EXPECT_EQ("x -aou -ms=off  \"C:\\a.7z\" ", sz.ExtractCommand(nullptr, "C:\\a.7z", o, "", {}, false));

    testdll::Client library = backend_test::LibraryOf(sz.Dll());
    library.Clear();
    std::string cmdLine, output;
    sz.Extract(nullptr, "C:\\a.7z", o, "", {}, false, cmdLine, output);
    EXPECT_EQ("SevenZip|window=null|cmd=x -aou -ms=off  \"C:\\a.7z\" |output=null|size=0\n", library.Log());
}

TEST_F(SevenZipTest, PackingItemsInTheirOrder) {
    TSevenZip32 sz;
    TArchiverOptions o;
    o.c = 1, o.x = 0;  // overwrite modes and "e" belong to extraction only
    EXPECT_EQ("u -ms=off \"-oC:\\B\\\"  \"C:\\a.7z\" \"f\" ",
              sz.PackCommand(nullptr, "C:\\a.7z", o, "C:\\B", {"f"}, false));
    o.r = 0;
    EXPECT_EQ("u -ms=off -r-  \"C:\\a.7z\" ", sz.PackCommand(nullptr, "C:\\a.7z", o, "", {}, false));
    o.r = 1;
    EXPECT_EQ("u -ms=off  \"C:\\a.7z\" ", sz.PackCommand(nullptr, "C:\\a.7z", o, "", {}, false));
    o.r = 2, o.n = 1, o.w = "C:\\W", o.y = 1, o.jx = {"*.bak"}, o.UserOptions = "-mx9";
    EXPECT_EQ("d -ms=off -hide -r \"-wC:\\W\\\" -y \"-x!*.bak\" -mx9 \"C:\\a.7z\" \"f\" ",
              sz.DeleteCommand(nullptr, "C:\\a.7z", o, "C:\\B", {"f"}, false));
    EXPECT_EQ("この形式の書庫では書庫の更新をサポートしておりません。",
              ArchiverMessage([&] { sz.UpdateCommand(nullptr, "C:\\a.7z", o, "", {}, false); }));
}

TEST_F(SevenZipTest, SelfExtractorIsThirtyTwoBitOnlyAndTakesTheModuleFromTheSearchPath) {
    TSevenZip32 sz;
    const std::string archive = temp / "a.7z";
    ASSERT_TRUE(WriteFileBytes(archive, "7z-data"));
    TempDir stubs("7zstub");
    ASSERT_TRUE(WriteFileBytes(stubs / "7z.sfx", "SFX"));
    TArchiverOptions o;
    std::string cmdLine = "before", output;
    {
        backend_test::SearchPathFirst path(stubs.Path());
        EXPECT_EQ("16bit SFX を作成することはできません。",
                  ArchiverMessage([&] { sz.MakeSfx(nullptr, archive, o, "", cmdLine, output); }));
        o.gw = 1;
        EXPECT_EQ(0, sz.MakeSfx(nullptr, archive, o, "", cmdLine, output));
        EXPECT_EQ("SFX7z-data", ReadFileBytes(temp / "a.exe"));
        EXPECT_EQ("before", cmdLine);
    }
    EXPECT_EQ("7z 書庫からの自己解凍書庫の作成には '7z.sfx' ファイルが必要です。",
              ArchiverMessage([&] { sz.MakeSfx(nullptr, archive, o, "", cmdLine, output); }));
}
