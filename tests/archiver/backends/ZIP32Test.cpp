// The ZIP back-end: which of UNZIP32, ZIP32J and LMZIP32 each entry comes from, the three command
// forms with their name conversion, the self-extractor and the probe, against the test library
// built under the three names.
#include <gtest/gtest.h>

#include <optional>

#include "ArchiverErrors.h"
#include "BackendTestSupport.h"
#include "ZIP32.h"

using namespace arc;
using backend_test::ArchiverMessage;
using backend_test::LibraryFolder;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

class ZipTest : public ::testing::Test {
  protected:
    void SetUp() override { TZip32::FreeDLL(); }
    void TearDown() override {
        TZip32::FreeDLL();
        Libs.reset();
    }
    // Only these libraries are found from now on.
    void Use(std::initializer_list<std::string> names) {
        TZip32::FreeDLL();
        Libs.reset();
        Libs.emplace(names);
        ASSERT_TRUE(Libs->Ready());
    }

    static testdll::Client Unzip(TZip32& zip) { return testdll::Client(zip.ZipDll().UnzipModule()); }
    static testdll::Client Zip32j(TZip32& zip) { return testdll::Client(zip.ZipDll().Zip32jModule()); }
    static testdll::Client Lmzip(TZip32& zip) { return testdll::Client(zip.ZipDll().LmzipModule()); }

    // Lists the archive through the back-end: "name@write-time;" per entry.
    static std::string List(TZip32& zip, const std::string& archive) {
        HARC h = zip.OpenArchive(nullptr, archive, 0);
        if (!h) return "<not opened>";
        std::string names;
        TEntryRecord e;
        for (int r = zip.FindFirst(h, e, "*.*"); r == 0; r = zip.FindNext(h, e))
            names += FieldText(e.FileName) + "@" + std::to_string(e.LastWriteTime.dwLowDateTime) + ";";
        zip.CloseArchive(h);
        return names;
    }

    TempDir temp{"zip32"};
    std::optional<LibraryFolder> Libs;
};

}  // namespace

TEST_F(ZipTest, WithAllThreeLibrariesEachEntryComesFromItsFirstModule) {
    Use({"UNZIP32.DLL", "ZIP32J.DLL", "LMZIP32.DLL"});
    TZip32 zip;
    const std::string archive = temp / "a.zip";
    ASSERT_TRUE(testdll::WriteArchive(archive, {"a.txt|1|1|0|0|77|-|-"}));
    for (auto c : {Unzip(zip), Zip32j(zip), Lmzip(zip)}) c.Clear();

    TArchiverOptions o;
    std::string cmdLine, output;
    zip.Pack(nullptr, archive, o, "C:\\Base", {"a.txt"}, false, cmdLine, output);
    zip.Extract(nullptr, archive, o, "D:\\Out", {"a.txt"}, false, cmdLine, output);
    EXPECT_EQ("a.txt@77;", List(zip, archive));
    zip.CheckArchive(archive, 16, 0);

    EXPECT_EQ("Zip|window=null|cmd= -D  \"" + archive + "\" \"C:\\Base\\\" \"a.txt\" |output=null|size=0\n",
              Zip32j(zip).Log());
    // Listing asks LMZIP32 first (under its lowered names); extraction and the check UNZIP32.
    EXPECT_EQ("UnZip|window=null|cmd=-x  \"" + archive +
                  "\" \"D:\\Out\\\" \"a.txt\" |output=null|size=0\n"
                  "CheckArchive|" +
                  archive + "|mode=16\n",
              Unzip(zip).Log());
    EXPECT_EQ("OpenArchive|window=null|" + archive +
                  "|mode=0\nFindFirst|*.*\nGetWriteTimeEx|set\n"
                  "GetAccessTimeEx|set\nGetCreateTimeEx|set\nFindNext\nCloseArchive|set\n",
              Lmzip(zip).Log());
}

TEST_F(ZipTest, OnlyLmzipExtractsListsAndPacksWithItsOwnLine) {
    Use({"LMZIP32.DLL"});
    TZip32 zip;
    ASSERT_EQ(nullptr, zip.ZipDll().UnzipModule());
    const std::string archive = temp / "a.zip";
    ASSERT_TRUE(testdll::WriteArchive(archive, {"a.txt|1|1|0|0|5|-|-"}));
    testdll::Client lmzip = Lmzip(zip);
    lmzip.Clear();

    TArchiverOptions o;
    o.c = 1, o.x = 0, o.a = 1, o.n = 1;
    // No directory, no name conversion, none of the ZIP32J switches.
    EXPECT_EQ("-ru -o -j  \"" + archive + "\" \"-a\\[b].txt\" ",
              zip.PackCommand(nullptr, archive, o, "C:\\Base", {"-a\\[b].txt"}, false));
    std::string cmdLine, output;
    zip.Pack(nullptr, archive, o, "C:\\Base", {"a.txt"}, false, cmdLine, output);
    zip.Extract(nullptr, archive, o, "D:\\Out", {}, false, cmdLine, output);
    EXPECT_EQ("a.txt@5;", List(zip, archive));
    EXPECT_EQ("Zip|window=null|cmd=-ru -o -j  \"" + archive +
                  "\" \"a.txt\" |output=null|size=0\n"
                  "Unzip|window=null|cmd=-x -o --i -j  \"" +
                  archive +
                  "\" \"D:\\Out\\\" |output=null|size=0\n"
                  "OpenArchive|window=null|" +
                  archive + "|mode=0\n",
              lmzip.Log().substr(0, lmzip.Log().find("FindFirst")));

    // The owner-window entries come from UNZIP32 only.
    EXPECT_EQ(" に UnZipSetOwnerWindowEx のエントリが見つかりません。",
              ArchiverMessage([&] { zip.SetOwnerWindow(::GetDesktopWindow(), nullptr); }));
}

TEST_F(ZipTest, OnlyUnzipExtractsAndListsButCannotPack) {
    Use({"UNZIP32.DLL"});
    TZip32 zip;
    const std::string archive = temp / "a.zip";
    ASSERT_TRUE(testdll::WriteArchive(archive, {"a.txt|1|1|0|0|9|-|-"}));
    TArchiverOptions o;
    EXPECT_EQ("ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。",
              ArchiverMessage([&] { zip.PackCommand(nullptr, archive, o, "C:\\B", {"a"}, false); }));
    // Delete has no library check: its line finds no "Zip" entry.
    std::string cmdLine = "before", output;
    EXPECT_EQ("Zip のエントリが DLL に見つかりませんでした。",
              ArchiverMessage([&] { zip.Delete(nullptr, archive, o, "", {"a"}, false, cmdLine, output); }));
    EXPECT_EQ("-d -D  \"" + archive + "\" \"a\" ", cmdLine);

    Unzip(zip).Clear();
    EXPECT_EQ(0, zip.Extract(nullptr, archive, o, "D:\\Out", {}, false, cmdLine, output));
    // The write time comes through the one entry spelled "UnzipGetWriteTimeEx".
    EXPECT_EQ("a.txt@9;", List(zip, archive));
    EXPECT_TRUE(zip.SetOwnerWindow(::GetDesktopWindow(), nullptr));
    EXPECT_TRUE(zip.KillOwnerWindow(::GetDesktopWindow()));
    EXPECT_EQ(0u, Unzip(zip).Log().find("UnZip|window=null|cmd=-x  \"" + archive + "\" \"D:\\Out\\\" |"));
}

TEST_F(ZipTest, WithoutAnyLibraryTheBackEndIsMadeButRefusesWithItsMessages) {
    Use({});
    TZip32 zip;
    TArchiverOptions o;
    EXPECT_EQ("ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。",
              ArchiverMessage([&] { zip.ExtractCommand(nullptr, "a.zip", o, "D:\\", {}, false); }));
    EXPECT_EQ("UnZipOpenArchive のエントリが DLL に見つかりませんでした。",
              ArchiverMessage([&] { zip.OpenArchive(nullptr, "a.zip", 0); }));
    EXPECT_FALSE(IsZipArchive(temp / "a.zip"));
}

TEST_F(ZipTest, Zip32jSwitches) {
    Use({"ZIP32J.DLL"});
    TZip32 zip;
    auto line = [&](const TArchiverOptions& o) {
        return zip.PackCommand(nullptr, "C:\\a.zip", o, "", {}, false);
    };
    TArchiverOptions o;
    EXPECT_EQ(" -D  \"C:\\a.zip\" ", line(o));  // a unset: -D, no -S
    o.a = 1;
    EXPECT_EQ(" -S -D  \"C:\\a.zip\" ", line(o));
    o.a = 2;
    EXPECT_EQ(" -S  \"C:\\a.zip\" ", line(o));
    o.n = 1, o.jm = 9;
    EXPECT_EQ(" -S -q -o -9  \"C:\\a.zip\" ", line(o));
    o.jm = 0;
    EXPECT_EQ(" -S -q -o -0  \"C:\\a.zip\" ", line(o));
    TArchiverOptions all;
    all.a = 0, all.l = 1, all.r = 1, all.u = 1, all.x = 0, all.jc = 1, all.ji = 1, all.gd = 1;
    all.UserOptions = "-user";
    EXPECT_EQ(" -D -v -r -u -j -FF -k -J -user \"C:\\a.zip\" ", line(all));
    o = TArchiverOptions();
    EXPECT_EQ("-f -D  \"C:\\a.zip\" \"C:\\B\\\" ",
              zip.UpdateCommand(nullptr, "C:\\a.zip", o, "C:\\B", {}, false));
    EXPECT_EQ("-d -D  \"C:\\a.zip\" ", zip.DeleteCommand(nullptr, "C:\\a.zip", o, "C:\\B", {}, false));
}

TEST_F(ZipTest, ExtractionLineAndNameConversion) {
    Use({"UNZIP32.DLL"});
    TZip32 zip;
    TArchiverOptions o;
    o.n = 1, o.c = 1, o.x = 0;
    EXPECT_EQ("-x -o --i -j  \"C:\\a.zip\" \"D:\\x\\\" \"[-]abc/[[]x].txt\" \"a-b/c\" ",
              zip.ExtractCommand(nullptr, "C:\\a.zip", o, "D:\\x", {TStrings{"-abc\\[x].txt", "a-b\\c"}},
                                 false));
    o = TArchiverOptions();
    EXPECT_EQ("-x  \"C:\\a.zip\" ", zip.ExtractCommand(nullptr, "C:\\a.zip", o, "", {}, false));
    ASSERT_TRUE(zip.SetOwnerWindow(::GetDesktopWindow(), nullptr));
    EXPECT_EQ(" --i  \"C:\\a.zip\" \"e[[]1]\" ", zip.ExtractMemCommand(nullptr, "C:\\a.zip", o, "e[1]"));
    zip.KillOwnerWindow(::GetDesktopWindow());

    // "ソ" ends in the byte of a backslash: left whole; the real backslash after it turns.
    EXPECT_EQ("ソ表/x", ZipNameConverter("ソ表\\x"));
    EXPECT_EQ("a-[[][[]/b", ZipNameConverter("a-[[\\b"));
}

TEST_F(ZipTest, SelfExtractorIsWrittenAndZip32jAdjustsItThroughAQuotedName) {
    Use({"ZIP32J.DLL"});
    TZip32 zip;
    TempDir stubs("zipstub");
    ASSERT_TRUE(WriteFileBytes(stubs / "sfx32gui.dat", "GUISTUB"));
    backend_test::SearchPathFirst path(stubs.Path());
    TempDir out("zip out");  // a blank in the folder name
    const std::string archive = out / "b.zip";
    ASSERT_TRUE(WriteFileBytes(archive, "PK-data"));

    TArchiverOptions o;
    o.gw = 1;
    EXPECT_EQ("-A \"" + out.Path() + "b.EXE\"", zip.SfxCommand(nullptr, archive, o, ""));
    EXPECT_EQ("GUISTUBPK-data", ReadFileBytes(out / "b.EXE"));

    testdll::Client zip32j = Zip32j(zip);
    zip32j.Clear();
    std::string cmdLine, output;
    EXPECT_EQ(0, zip.MakeSfx(nullptr, archive, o, stubs.Path(), cmdLine, output));
    EXPECT_EQ("-A \"" + stubs.Path() + "b.EXE\"", cmdLine);
    EXPECT_EQ("Zip|window=null|cmd=" + cmdLine + "|output=null|size=0\n", zip32j.Log());

    o.gw = -1;  // the DOS stub is not there
    EXPECT_EQ("zip 書庫からのDOS自己解凍書庫の作成には 'sfx16.dat' ファイルが必要です。",
              ArchiverMessage([&] { zip.SfxCommand(nullptr, archive, o, ""); }));
}

TEST_F(ZipTest, SelfExtractorNeedsZip32jAndTheWin32Stub) {
    Use({"UNZIP32.DLL"});
    TZip32 zip;
    TArchiverOptions o;
    o.gw = 1;
    EXPECT_EQ("zip 書庫からの自己解凍書庫の作成には 'ZIP32J.DLL' ファイルが必要です。",
              ArchiverMessage([&] { zip.SfxCommand(nullptr, temp / "b.zip", o, ""); }));
    Use({"ZIP32J.DLL"});
    TZip32 packing;
    EXPECT_EQ("zip 書庫からのWin32自己解凍書庫の作成には 'sfx32gui.dat' ファイルが必要です。",
              ArchiverMessage([&] { packing.SfxCommand(nullptr, temp / "b.zip", o, ""); }));
    EXPECT_FALSE(testing_support::Exists(temp / "b.EXE"));
}

TEST_F(ZipTest, ProbeChecksWithUnzipThenOpensWithTheListingModule) {
    Use({"UNZIP32.DLL", "LMZIP32.DLL"});
    const std::string archive = temp / "a.bin";
    ASSERT_TRUE(testdll::WriteArchive(archive, {}));
    TZip32::LoadDLL();
    TZip32 zip;
    Unzip(zip).Clear();
    Lmzip(zip).Clear();
    EXPECT_TRUE(IsZipArchive(archive));
    EXPECT_EQ("CheckArchive|" + archive + "|mode=24\n", Unzip(zip).Log());
    EXPECT_EQ("OpenArchive|window=null|" + archive + "|mode=8388610\nCloseArchive|set\n", Lmzip(zip).Log());

    // Refused by the check: not opened. Accepted but not opened: the null handle is not closed.
    ASSERT_TRUE(testdll::WriteArchive(archive, {}, " only=UNZIP32"));
    Lmzip(zip).Clear();
    EXPECT_FALSE(IsZipArchive(archive));
    EXPECT_EQ("OpenArchive|window=null|" + archive + "|mode=8388610\n", Lmzip(zip).Log());
    ASSERT_TRUE(testdll::WriteArchive(archive, {}, " only=LMZIP32"));
    Lmzip(zip).Clear();
    EXPECT_FALSE(IsZipArchive(archive));
    EXPECT_EQ("", Lmzip(zip).Log());
    EXPECT_FALSE(IsZipArchive(temp / "missing.zip"));
}
