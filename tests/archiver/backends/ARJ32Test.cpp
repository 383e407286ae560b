// The ARJ back-end: its own binding to UNARJ32J.DLL (here the test library under that name),
// LHA-form lines for everything but extraction, and its probe.
#include <gtest/gtest.h>

#include "ARJ32.h"
#include "ArchiverErrors.h"
#include "BackendTestSupport.h"
#include "TestSupport.h"

using namespace arc;
using backend_test::LibraryOf;
using backend_test::SearchLibrariesIn;
using testing_support::TempDir;

namespace {

class ArjTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TArj32::FreeDLL();
        TLha32::FreeDLL();
        ASSERT_TRUE(SearchLibrariesIn(testdll::Dir()));
    }
    void TearDown() override {
        TArj32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
};

}  // namespace

TEST_F(ArjTest, BindsItsOwnLibraryAndNeverTheLhaOne) {
    TArj32 arj;
    auto& bound = dynamic_cast<TArchiverDll&>(arj.Dll());
    EXPECT_EQ("ARJ 形式書庫", bound.Description());
    EXPECT_EQ("Unarj", bound.Prefix());
    EXPECT_EQ(testdll::UnarjDll(), ModuleFileName(bound.Handle()));
    EXPECT_EQ(nullptr, ::GetModuleHandleA("UNLHA32.DLL"));
}

TEST_F(ArjTest, PackSendsAnLhaFormLineToTheArjLibrary) {
    TArj32 arj;
    testdll::Client library = LibraryOf(arj.Dll());
    library.Clear();
    TArchiverOptions o;
    o.a = 1, o.jso = 1;
    std::string cmdLine, output(8, '\0');
    EXPECT_EQ(0, arj.Pack(nullptr, "C:\\a.arj", o, "C:\\Base", {"a.txt"}, false, cmdLine, output));
    EXPECT_EQ("u -+ -a1 -jso1  \"C:\\a.arj\" \"C:\\Base\\\" \"a.txt\" ", cmdLine);
    EXPECT_EQ("Unarj|window=null|cmd=" + cmdLine + "|output=set|size=8\n", library.Log());
}

TEST_F(ArjTest, ExtractionTakesTheCallersResponseFileFlagAndStillAsksForJse) {
    TempDir temp("arj32");
    TArj32 arj;
    TArchiverOptions o;
    o.jso = 1;
    EXPECT_THROW(arj.ExtractCommand(nullptr, "C:\\a.arj", o, "D:\\Out", {"a.txt"}, false), EAssertionFailed);
    o.jse = 1;
    o.ResFileName = temp / "resp.txt";
    o.ResFileUsage = {};
    EXPECT_EQ("x -+ -jse1 -jso1  \"C:\\a.arj\" \"D:\\Out\\\" \"@" + o.ResFileName + "\" ",
              arj.ExtractCommand(nullptr, "C:\\a.arj", o, "D:\\Out", {"a.txt"}, true));
    EXPECT_EQ("\"a.txt\"\r\n", testing_support::ReadFileBytes(o.ResFileName));
    o.ResFileUsage = {TResFileUse::ruOnUnpack};
    EXPECT_EQ("x -+ -jse1 -jso1  \"C:\\a.arj\" \"D:\\Out\\\" \"a.txt\" ",
              arj.ExtractCommand(nullptr, "C:\\a.arj", o, "D:\\Out", {"a.txt"}, false));
}

TEST_F(ArjTest, ProbeOpensWithoutCheckingAndAnswersFalseForMissingFilesAndLibraries) {
    TempDir temp("arj32");
    const std::string archive = temp / "ok.tarc";
    ASSERT_TRUE(testdll::WriteArchive(archive, {}));
    TArj32::LoadDLL();
    TArj32 arj;
    testdll::Client library = LibraryOf(arj.Dll());
    library.Clear();
    EXPECT_TRUE(IsArjArchive(archive));
    EXPECT_FALSE(IsArjArchive(temp / "missing.arj"));
    // The missing file gives no handle, and no handle is closed.
    EXPECT_EQ("OpenArchive|window=null|" + archive +
                  "|mode=8388610\nCloseArchive|set\nOpenArchive|window=null|" + temp.Path() +
                  "missing.arj|mode=8388610\n",
              library.Log());

    TArj32::FreeDLL();
    TempDir empty("arj32");
    ASSERT_TRUE(SearchLibrariesIn(empty.Path()));
    EXPECT_FALSE(IsArjArchive(archive));
    try {
        TArj32 missing;
        FAIL() << "no exception";
    } catch (const ENoArchiverDLL& e) {
        EXPECT_STREQ("ARJ 形式書庫 を扱うには UNARJ32J.DLL が 必要です。", e.what());
    }
}
