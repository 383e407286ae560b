// Self-extractors the back-ends write themselves: the output name, and that neither a failed copy
// nor an output that is the archive itself costs the user a file.
#include <gtest/gtest.h>

#include "ArchiverErrors.h"
#include "BackendTestSupport.h"
#include "SelfExtractor.h"
#include "TAR32.h"

using namespace arc;
using backend_test::ArchiverMessage;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(SelfExtractorTest, OutputNameTakesTheExtensionAndTheFolder) {
    EXPECT_EQ("C:\\a\\b.EXE", SfxOutputName("C:\\a\\b.zip", "", ".EXE"));
    EXPECT_EQ("D:\\o\\b.exe", SfxOutputName("C:\\a\\b.zip", "D:\\o", ".exe"));
    EXPECT_EQ("D:\\o\\b.EXE", SfxOutputName("C:\\a\\b.zip", "D:\\o\\", ".EXE"));
    EXPECT_EQ("C:\\a.b\\c.EXE", SfxOutputName("C:\\a.b\\c", "", ".EXE"));
    // "ソ" ends in the byte of a backslash: the separator is still inserted.
    EXPECT_EQ("D:\\ソ\\b.EXE", SfxOutputName("C:\\b.tgz", "D:\\ソ", ".EXE"));
}

TEST(SelfExtractorTest, AnOutputThatIsTheArchiveIsRefusedAndTheArchiveKept) {
    TempDir temp("sfx");
    const std::string archive = temp / "t.exe", stub = temp / "stub.bin";
    ASSERT_TRUE(WriteFileBytes(archive, "archive"));
    ASSERT_TRUE(WriteFileBytes(stub, "stub"));
    // Another spelling of the same file.
    const std::string message = ArchiverMessage(
        [&] { WriteSelfExtractor(stub, archive, SfxOutputName(archive, "", ".EXE"), TSfxTrailer::None); });
    EXPECT_EQ("自己解凍書庫の出力先 " + temp.Path() + "t.EXE は元の書庫ファイルと同じです。", message);
    EXPECT_EQ("archive", ReadFileBytes(archive));
    // Onto its own stub: refused as such, not for any other reason.
    EXPECT_EQ("自己解凍書庫の出力先 " + stub + " は元の書庫ファイルと同じです。",
              ArchiverMessage([&] { WriteSelfExtractor(stub, archive, stub, TSfxTrailer::None); }));
    EXPECT_EQ("stub", ReadFileBytes(stub));

    // The same through a back-end: archive "t.exe" in its own folder.
    TTar32::FreeDLL();
    ASSERT_TRUE(backend_test::SearchLibrariesIn(testdll::FormatsDir()));
    backend_test::SearchPathFirst path(temp.Path());
    ASSERT_TRUE(WriteFileBytes(temp / "kmtarsef.exe", "MZ"));
    TTar32 tar;
    std::string cmdLine, output;
    // The stub is found; the output it would write is the archive itself.
    EXPECT_EQ(
        "自己解凍書庫の出力先 " + temp.Path() + "t.EXE は元の書庫ファイルと同じです。",
        ArchiverMessage([&] { tar.MakeSfx(nullptr, archive, TArchiverOptions(), "", cmdLine, output); }));
    EXPECT_EQ("archive", ReadFileBytes(archive));
    TTar32::FreeDLL();
    ::SetDllDirectoryA(nullptr);
}

TEST(SelfExtractorTest, ACopyThatFailsHalfWayLeavesNoOutput) {
    TempDir temp("sfx");
    const std::string archive = temp / "a.yz1", stub = temp / "stub.bin", out = temp / "a.exe";
    ASSERT_TRUE(WriteFileBytes(archive, std::string(100000, 'a')));
    ASSERT_TRUE(WriteFileBytes(stub, std::string(70000, 's')));
    // Reading the "archive" fails once the stub is written: the memory of this process, read at
    // address 0 (Wine's Z: is the Unix root), answers with an I/O error.
    const std::string unreadable = "Z:\\proc\\self\\mem";
    ASSERT_TRUE(Exists(unreadable));
    EXPECT_THROW(WriteSelfExtractor(stub, unreadable, out, TSfxTrailer::None), std::system_error);
    EXPECT_FALSE(Exists(out));

    // A missing stub: nothing is created either.
    EXPECT_THROW(WriteSelfExtractor(temp / "missing.sfx", archive, out, TSfxTrailer::None),
                 std::system_error);
    EXPECT_FALSE(Exists(out));
    WriteSelfExtractor(stub, archive, out, TSfxTrailer::None);
    EXPECT_EQ(170000u, ReadFileBytes(out).size());
}

TEST(SelfExtractorTest, AFileOfTheOutputsNameIsReplacedOnlyWhenItIsAnEarlierSelfExtractor) {
    TempDir temp("sfx");
    const std::string archive = temp / "b.tgz", stub = temp / "stub.bin", out = temp / "b.EXE";
    ASSERT_TRUE(WriteFileBytes(archive, "archive"));
    ASSERT_TRUE(WriteFileBytes(stub, "MZstub"));
    // The user's own program of that name, shorter and longer than the stub.
    for (const std::string mine : {"MZ", "MZ my own program"}) {
        ASSERT_TRUE(WriteFileBytes(out, mine));
        EXPECT_EQ("自己解凍書庫の出力先 " + out + " には自己解凍書庫ではない別のファイルがあります。",
                  ArchiverMessage([&] { WriteSelfExtractor(stub, archive, out, TSfxTrailer::None); }));
        EXPECT_EQ(mine, ReadFileBytes(out));
    }
    // An earlier self-extractor made with the stub is made again.
    ASSERT_TRUE(WriteFileBytes(out, "MZstubolder archive"));
    WriteSelfExtractor(stub, archive, out, TSfxTrailer::None);
    EXPECT_EQ("MZstubarchive", ReadFileBytes(out));
}
