// The tar family: one builder whose compression switch depends on the class, the archive as an -f
// item, the self-extractor made without the library, and the type probe, against the test
// library built as TAR32.DLL.
#include <gtest/gtest.h>

#include "BackendTestSupport.h"
#include "TAR32.h"

using namespace arc;
using backend_test::ArchiverMessage;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

class TarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TTar32::FreeDLL();
        ASSERT_TRUE(backend_test::SearchLibrariesIn(testdll::FormatsDir()));
    }
    void TearDown() override {
        TTar32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
    TempDir temp{"tar32"};
};

}  // namespace

TEST_F(TarTest, ExtractionLineCarriesTheArchiveAsFAndTheDirectoryAsO) {
    TTar32 tar;
    TArchiverOptions o;
    o.a = 0;
    EXPECT_EQ("x -I  -f \"C:\\t.tar\" -o \"D:\\x\\\" ",
              tar.ExtractCommand(nullptr, "C:\\t.tar", o, "D:\\x", {}, false));
    o.a = 1, o.n = 1, o.o = 1, o.p = 0, o.x = 1;
    EXPECT_EQ("c -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1  -f \"C:\\t.tar\" \"a b\" ",
              tar.PackCommand(nullptr, "C:\\t.tar", o, "", {"a b"}, false));
    ASSERT_TRUE(tar.SetOwnerWindow(::GetDesktopWindow(), nullptr));  // the library's dialog is wanted then
    EXPECT_EQ(" -AH -g --check-all-path=0 --use-directory=1  -f \"C:\\t.tar\" \"e\" ",
              tar.ExtractMemCommand(nullptr, "C:\\t.tar", o, "e"));
    tar.KillOwnerWindow(::GetDesktopWindow());
}

TEST_F(TarTest, OnlyTheCompressedClassesWriteTheirCompressionSwitch) {
    TTar32 tar;
    TTgz32 tgz;
    TBZ232 bz2;
    TArchiverOptions o;
    auto pack = [&](TTar32& t) { return t.PackCommand(nullptr, "C:\\t", o, "", {}, false); };
    EXPECT_EQ("c  -f \"C:\\t\" ", pack(tar));
    EXPECT_EQ("c -z  -f \"C:\\t\" ", pack(tgz));
    EXPECT_EQ("c -B  -f \"C:\\t\" ", pack(bz2));
    o.jm = 9;
    EXPECT_EQ("c  -f \"C:\\t\" ", pack(tar));
    EXPECT_EQ("c -z9  -f \"C:\\t\" ", pack(tgz));
    EXPECT_EQ("c -B9  -f \"C:\\t\" ", pack(bz2));
    // All three share one binding.
    EXPECT_EQ(&tar.Dll(), &tgz.Dll());
    EXPECT_EQ(&tar.Dll(), &bz2.Dll());
}

TEST_F(TarTest, TypeProbeMapsTheLibrarysCodesAndNeverRaises) {
    TTar32 tar;
    testdll::Client library = backend_test::LibraryOf(tar.Dll());
    const std::string archive = temp / "t.bin";
    const struct {
        int code;
        TArchiverType type;
    } cases[] = {{0, TArchiverType::atNone}, {1, TArchiverType::atTar}, {2, TArchiverType::atTgz},
                 {5, TArchiverType::atTgz},  {6, TArchiverType::atBZ2}, {7, TArchiverType::atBZ2},
                 {8, TArchiverType::atNone}};
    for (const auto& c : cases) {
        ASSERT_TRUE(testdll::WriteArchive(archive, {}, " type=" + std::to_string(c.code)));
        EXPECT_EQ(c.type, GetTarArchiverType(archive)) << c.code;
    }
    // The name goes to the library as it is, not expanded.
    library.Clear();
    GetTarArchiverType("rel.tar");
    EXPECT_EQ("GetArchiveType|rel.tar\n", library.Log());

    TTar32::FreeDLL();
    TempDir empty("tar32");
    ASSERT_TRUE(backend_test::SearchLibrariesIn(empty.Path()));
    EXPECT_EQ(TArchiverType::atNone, GetTarArchiverType(archive));
}

TEST_F(TarTest, SelfExtractorCopiesStubAndArchiveWithoutTheLibrary) {
    TTgz32 tgz;
    TBZ232 bz2;
    const std::string archive = temp / "t.tgz";
    ASSERT_TRUE(WriteFileBytes(archive, "tgz-data"));
    TArchiverOptions o;
    std::string cmdLine = "before", output;
    // BZ2 is refused before any stub is looked for.
    EXPECT_EQ("BZ2 形式書庫は自己解凍形式にできません。",
              ArchiverMessage([&] { bz2.MakeSfx(nullptr, archive, o, "", cmdLine, output); }));
    EXPECT_EQ("tar/tgz 書庫からの自己解凍書庫の作成には 'kmtarsef.exe' ファイルが必要です。",
              ArchiverMessage([&] { tgz.MakeSfx(nullptr, archive, o, "", cmdLine, output); }));

    TempDir stubs("tarstub");
    ASSERT_TRUE(WriteFileBytes(stubs / "kmtarsef.exe", "MZstub"));
    backend_test::SearchPathFirst path(stubs.Path());
    testdll::Client library = backend_test::LibraryOf(tgz.Dll());
    library.Clear();
    EXPECT_EQ(0, tgz.MakeSfx(nullptr, archive, o, "", cmdLine, output));
    EXPECT_EQ("MZstubtgz-data", ReadFileBytes(temp / "t.EXE"));
    EXPECT_EQ(0, tgz.MakeSfx(nullptr, archive, o, stubs.Path(), cmdLine, output));
    EXPECT_EQ("MZstubtgz-data", ReadFileBytes(stubs / "t.EXE"));
    EXPECT_EQ("before", cmdLine);
    EXPECT_EQ("", library.Log());
}
