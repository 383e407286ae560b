// Our UNZIP32.DLL and ZIP32J.DLL through the archive component, checked against Info-ZIP's unzip
// (archives we make) and against archives Info-ZIP's zip and Python's zipfile made (fixtures).
#include <gtest/gtest.h>

#ifdef PELMIRA_HAVE_ZIP32

#include "ArchiveTestSupport.h"
#include "Archives.h"
#include "BackendTestSupport.h"
#include "ZIP32.h"

using namespace arc;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::TreeOf;
using testing_support::TTree;
using testing_support::WriteFileBytes;

namespace {

// The contents the fixtures were made from (fixtures/make-zip-fixtures.sh).
std::string Hello() {
    std::string s;
    for (int i = 0; i < 100; ++i) s += "Hello, ZIP!\n";
    return s;
}
std::string DataBin() {
    std::string s;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    return s;
}
// 2001-02-03 04:05:06 UTC.
constexpr uint64_t kFixtureTime = 126256467060000000ull;

// Bytes that deflate poorly, then a run that deflates well.
std::string Mixed(size_t n) {
    std::string s;
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s += static_cast<char>(x >> 24);
    }
    return s + std::string(n, 'z');
}

class ZipStandinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TZip32::FreeDLL();
        ASSERT_TRUE(backend_test::SearchLibrariesIn(ostra::AppDir() + "..\\"));
    }
    void TearDown() override {
        TZip32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }

    // What a Unix command printed; its exit status is the last line.
    std::string Unix(const std::string& command) {
        std::string out;
        if (!archive_test::RunUnixCommand(temp.Path(), command + "; echo \"exit=$?\"", out))
            return "<did not run>";
        return out;
    }
    std::string U(const std::string& winPath) { return "'" + archive_test::UnixPath(winPath) + "'"; }

    static std::string Fixture(const std::string& name) { return ostra::AppDir() + "fixtures\\" + name; }

    // name@size;... as our UNZIP32.DLL lists the archive.
    static std::string Listing(TArchiveFile& archive) {
        if (archive.OpenArchive(nullptr, 0) != 0) return "<not opened>";
        std::string names;
        TEntryRecord e;
        for (int r = archive.FindFirst("*.*", e); r == 0; r = archive.FindNext(e))
            names += FieldText(e.FileName) + "@" + std::to_string(e.OriginalSize) + ";";
        archive.CloseArchive();
        return names;
    }

    TempDir temp{"zipdll"};
};

const std::vector<std::pair<std::string, std::string>>& PackedFiles() {
    static const std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", Hello()},
        {"empty.txt", ""},
        {"sub\\mixed.bin", Mixed(150000)},
        {"sub\\deep\\[x]-y.txt", "brackets"},
        {"-dash.txt", "dash"},
        {"日本語.txt", "nihongo"},
    };
    return files;
}

}  // namespace

TEST_F(ZipStandinTest, APackedArchiveIsTestedAndExtractedByInfoZipByteForByte) {
    const std::string base = temp / "base\\";
    archive_test::MakeTree(base, {});
    TStrings names;
    for (const auto& [name, data] : PackedFiles()) {
        archive_test::MakeTree(base, {name});
        ASSERT_TRUE(WriteFileBytes(base + name, data));
        names.push_back(name);
    }
    TArchiveFile archive;
    archive.SetFileName(temp / "out.zip");
    archive.Options().a = 1, archive.Options().n = 1, archive.Options().x = 1, archive.Options().jm = 6;
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {names}));

    const std::string tested = Unix("unzip -t " + U(temp / "out.zip"));
    EXPECT_NE(std::string::npos, tested.find("No errors detected")) << tested;
    const std::string extracted = Unix("unzip -o " + U(temp / "out.zip") + " -d " + U(temp / "unix"));
    EXPECT_NE(std::string::npos, extracted.find("exit=0")) << extracted;
    for (const auto& [name, data] : PackedFiles())
        EXPECT_EQ(data, ReadFileBytes(temp / "unix\\" + name)) << name;

    EXPECT_TRUE(IsZipArchive(temp / "out.zip"));
    EXPECT_EQ("-dash.txt@4;a.txt@1200;empty.txt@0;sub/deep/[x]-y.txt@8;sub/mixed.bin@300000;日本語.txt@7;",
              Listing(archive));
}

TEST_F(ZipStandinTest, ExtractReadsTheArchivesOfInfoZip) {
    for (const char* fixture : {"infozip-deflate.zip", "infozip-stored.zip"}) {
        const std::string dest = temp / (std::string(fixture) + ".out\\");
        TArchiveFile archive;
        archive.SetFileName(Fixture(fixture));
        ASSERT_EQ(0, archive.Extract(nullptr, nullptr, dest, {})) << fixture;
        EXPECT_EQ(Hello(), ReadFileBytes(dest + "hello.txt")) << fixture;
        EXPECT_EQ(DataBin(), ReadFileBytes(dest + "sub\\data.bin")) << fixture;
        EXPECT_EQ("", ReadFileBytes(dest + "empty.txt")) << fixture;
        EXPECT_EQ(kFixtureTime, testing_support::WriteTime(dest + "hello.txt")) << fixture;
        EXPECT_EQ("hello.txt@1200;sub/@0;sub/data.bin@1024;empty.txt@0;", Listing(archive)) << fixture;
        EXPECT_TRUE(IsZipArchive(Fixture(fixture)));
    }
    // One entry, by a name the back-end converts.
    TArchiveFile archive;
    archive.SetFileName(Fixture("infozip-deflate.zip"));
    const std::string dest = temp / "one\\";
    ASSERT_EQ(0, archive.Extract(nullptr, nullptr, dest, {"sub\\data.bin"}));
    EXPECT_FALSE(Exists(dest + "hello.txt"));
    EXPECT_EQ(DataBin(), ReadFileBytes(dest + "sub\\data.bin"));
}

TEST_F(ZipStandinTest, ArchivesOfOtherToolsAreReadAsTheToolsReadThemWithNamesInShiftJis) {
    // Debian's zip stores the names' UTF-8 bytes and says nothing of it; 7-Zip sets the UTF-8
    // flag; the Python-made one has the Info-ZIP Unicode path field, once stale, and one with
    // "." components.
    const std::vector<std::pair<std::string, std::string>> fixtures = {
        {"infozip-ja.zip", "unzip -q"},
        {"infozip-ja-store.zip", "unzip -q"},
        {"infozip-ja-best-noextra.zip", "unzip -q"},
        {"7z-ja.zip", "7z x -bd -y"},
        {"python-unicodepath.zip", "unzip -q"},
        {"python-dotnames.zip", "unzip -q"},
    };
    for (const auto& [fixture, tool] : fixtures) {
        const std::string reference = temp / (fixture + ".ref\\"), dest = temp / (fixture + ".out\\");
        ::CreateDirectoryA(reference.c_str(), nullptr);
        const std::string to = tool.rfind("7z", 0) == 0 ? " -o" + U(reference) : " -d " + U(reference);
        const TTree expected =
            backend_test::TreeExtractedBy(temp.Path(), tool + " " + U(Fixture(fixture)) + to, reference);
        if (fixture.rfind("python", 0) != 0) {
            ASSERT_EQ(backend_test::JapaneseFixtureTree(), expected) << fixture;
        }
        ASSERT_FALSE(expected.empty());
        TArchiveFile archive;
        archive.SetFileName(Fixture(fixture));
        EXPECT_EQ(0, archive.Extract(nullptr, nullptr, dest, {})) << fixture;
        EXPECT_EQ(expected, TreeOf(dest)) << fixture;
        EXPECT_EQ(backend_test::NamesOf(expected), backend_test::ListedNames(Fixture(fixture))) << fixture;
    }

    // A Windows tool's Shift-JIS name whose bytes are valid UTF-8 as well ("‐E.txt", as unzip and
    // 7z on Linux read it): made on MS-DOS, it is Shift-JIS.
    const std::string dest = temp / "sjis\\";
    TArchiveFile archive;
    archive.SetFileName(Fixture("python-sjis-dos.zip"));
    EXPECT_EQ(0, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ(TTree{"窶職.txt=mojibake\n"}, TreeOf(dest));
}

TEST_F(ZipStandinTest, ProgressReachesTheComponentPerFileAndItsAbortStopsExtraction) {
    TArchiveFile archive;
    archive.SetFileName(Fixture("infozip-deflate.zip"));
    std::string seen;
    archive.OnProgress = [&](TArchiveFile&, int state, TProgressRecord* record, bool&) {
        if (state == 1)
            seen += FieldText(record->SourceFileName) + ">" + FieldText(record->DestFileName) + ";";
    };
    const std::string dest = temp / "p\\";
    ASSERT_EQ(0, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ("hello.txt>" + dest + "hello.txt;sub/data.bin>" + dest + "sub\\data.bin;empty.txt>" + dest +
                  "empty.txt;",
              seen);

    const std::string stopped = temp / "stopped\\";
    archive.OnProgress = [](TArchiveFile&, int, TProgressRecord*, bool& abort) { abort = true; };
    EXPECT_EQ(0x8020, archive.Extract(nullptr, nullptr, stopped, {}));
    EXPECT_FALSE(Exists(stopped + "hello.txt"));
}

TEST_F(ZipStandinTest, NamesThatClimbOutOfTheBaseFolderAreNotPacked) {
    const std::string base = temp / "base\\";
    archive_test::MakeTree(base, {"in.txt"});
    ASSERT_TRUE(WriteFileBytes(temp / "out.txt", "outside"));
    TArchiveFile archive;
    archive.SetFileName(temp / "c.zip");
    archive.Options().PackFilter = TPackFilter::pfArchiver;  // the names go to the library as they are
    EXPECT_EQ(0x800B, archive.Pack(nullptr, nullptr, base, {"..\\out.txt"}));
    EXPECT_FALSE(Exists(temp / "c.zip"));
}

TEST_F(ZipStandinTest, DamagedAndHostileArchivesFailClearlyAndLeaveTheDestinationAsItWas) {
    const std::string dest = temp / "dest\\";
    archive_test::MakeTree(dest, {});
    ASSERT_TRUE(WriteFileBytes(dest + "hello.txt", "old"));

    // A byte of hello.txt's deflated data changed.
    std::string damaged = ReadFileBytes(Fixture("infozip-deflate.zip"));
    const size_t data =
        30 + 9 + (static_cast<unsigned char>(damaged[28]) | (static_cast<unsigned char>(damaged[29]) << 8));
    damaged[data + 5] = static_cast<char>(damaged[data + 5] ^ 0x55);
    ASSERT_TRUE(WriteFileBytes(temp / "damaged.zip", damaged));
    TArchiveFile archive;
    archive.SetFileName(temp / "damaged.zip");
    archive.Options().c = 1;  // overwrite
    const int result = archive.Extract(nullptr, nullptr, dest, {"hello.txt"});
    EXPECT_EQ(0x8009, result);
    EXPECT_EQ("old", ReadFileBytes(dest + "hello.txt"));
    EXPECT_EQ(std::vector<std::string>{"hello.txt"}, archive_test::FilesBelow(dest));

    // "../evil.txt": refused before anything is written, also the harmless entry before it.
    archive.SetFileName(Fixture("python-dotdot.zip"));
    EXPECT_EQ(0x800B, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_FALSE(Exists(dest + "ok.txt"));
    EXPECT_FALSE(Exists(temp / "evil.txt"));

    // "./../evil.txt": a harmless component does not make ".." harmless.
    archive.SetFileName(Fixture("python-dot-dotdot.zip"));
    EXPECT_EQ(0x800B, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_FALSE(Exists(dest + "ok.txt"));
    EXPECT_FALSE(Exists(temp / "evil.txt"));

    // "café.txt" (UTF-8, flagged) has no Shift-JIS form: that entry is refused, never written as
    // "cafe.txt" or the like; the others are extracted, and the result says it was not all.
    archive.SetFileName(Fixture("python-nosjis.zip"));
    EXPECT_EQ(0x8010, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ((std::vector<std::string>{"hello.txt", "ok.txt"}), archive_test::FilesBelow(dest));
    EXPECT_EQ((TTree{"caf<U+00E9>.txt", "ok.txt"}), backend_test::ListedNames(Fixture("python-nosjis.zip")));
    ASSERT_TRUE(::DeleteFileA((dest + "ok.txt").c_str()));

    // Cut short: no archive at all, for the probe and for extraction.
    ASSERT_TRUE(WriteFileBytes(temp / "short.zip", damaged.substr(0, 100)));
    EXPECT_FALSE(IsZipArchive(temp / "short.zip"));
    archive.SetFileName(temp / "short.zip");
    EXPECT_EQ(0x8007, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ(std::vector<std::string>{"hello.txt"}, archive_test::FilesBelow(dest));

    // Packing into a file of that name that is no archive leaves it alone.
    ASSERT_TRUE(WriteFileBytes(temp / "notes.zip", "my notes"));
    archive.SetFileName(temp / "notes.zip");
    EXPECT_EQ(0x8007, archive.Pack(nullptr, nullptr, dest, {"hello.txt"}));
    EXPECT_EQ("my notes", ReadFileBytes(temp / "notes.zip"));
}

TEST_F(ZipStandinTest, UpdatesAndDeletionsRewriteTheArchiveInPlace) {
    const std::string base = temp / "base\\";
    archive_test::MakeTree(base, {"a.txt", "b.txt"});
    const std::string path = temp / "u.zip";
    TArchiveFile archive;
    archive.SetFileName(path);
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"a.txt"}));
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"b.txt"}));
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "changed"));
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"a.txt"}));
    EXPECT_EQ("a.txt@7;b.txt@13;", Listing(archive));

    TZip32 zip;
    std::string cmdLine, output;
    EXPECT_EQ(0, zip.Delete(nullptr, path, TArchiverOptions(), "", {"a.txt"}, false, cmdLine, output));
    EXPECT_EQ("b.txt@13;", Listing(archive));
    EXPECT_EQ(0x8004,
              zip.Delete(nullptr, path, TArchiverOptions(), "", {"none.txt"}, false, cmdLine, output));
    const std::string listed = Unix("unzip -l " + U(path));
    EXPECT_NE(std::string::npos, listed.find("b.txt")) << listed;
    EXPECT_EQ(std::string::npos, listed.find("a.txt")) << listed;

    // An entry named in the Unicode path field keeps that name when the archive is rewritten.
    const std::string other = temp / "unicodepath.zip";
    ASSERT_TRUE(::CopyFileA(Fixture("python-unicodepath.zip").c_str(), other.c_str(), FALSE));
    archive.SetFileName(other);
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"b.txt"}));
    EXPECT_EQ((TTree{"b.txt", "stale.txt", "日本語.txt"}), backend_test::ListedNames(other));
}

TEST_F(ZipStandinTest, ASelfExtractorIsAdjustedSoThatUnzipSeesNoExtraBytes) {
    const std::string base = temp / "base\\";
    archive_test::MakeTree(base, {"a.txt"});
    const std::string path = temp / "s.zip";
    TArchiveFile archive;
    archive.SetFileName(path);
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"a.txt"}));

    TempDir stubs("zipstub");
    ASSERT_TRUE(WriteFileBytes(stubs / "sfx32gui.dat", "MZ" + std::string(4094, 's')));
    backend_test::SearchPathFirst search(stubs.Path());
    TZip32 zip;
    TArchiverOptions o;
    o.gw = 1;
    std::string cmdLine, output;
    ASSERT_EQ(0, zip.MakeSfx(nullptr, path, o, "", cmdLine, output)) << cmdLine;
    const std::string tested = Unix("unzip -t " + U(temp / "s.EXE"));
    EXPECT_NE(std::string::npos, tested.find("No errors detected")) << tested;
    EXPECT_EQ(std::string::npos, tested.find("extra bytes")) << tested;
    EXPECT_EQ("MZ", ReadFileBytes(temp / "s.EXE").substr(0, 2));
}

#endif
