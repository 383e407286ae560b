// Our TAR32.DLL through the archive component, checked against GNU tar (archives we make) and
// against archives GNU tar and Python's tarfile made (fixtures).
#include <gtest/gtest.h>

#ifdef PELMIRA_HAVE_TAR32

#include "ArchiveTestSupport.h"
#include "Archives.h"
#include "BackendTestSupport.h"
#include "TAR32.h"

using namespace arc;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::TreeOf;
using testing_support::TTree;
using testing_support::WriteFileBytes;

namespace {

// The contents the fixtures were made from (fixtures/make-tar-fixtures.sh).
std::string Hello() {
    std::string s;
    for (int i = 0; i < 100; ++i) s += "Hello, tar!\n";
    return s;
}
std::string DataBin() {
    std::string s;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
    return s;
}
const std::string kLongFolder = std::string(60, 'd') + "\\" + std::string(60, 'e');
// 2001-02-03 04:05:06 UTC.
constexpr uint64_t kFixtureTime = 126256467060000000ull;

class TarStandinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TTar32::FreeDLL();
        ASSERT_TRUE(backend_test::SearchLibrariesIn(ostra::AppDir() + "..\\"));
    }
    void TearDown() override {
        TTar32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
    std::string Unix(const std::string& command) {
        std::string out;
        if (!archive_test::RunUnixCommand(temp.Path(), command + "; echo \"exit=$?\"", out))
            return "<did not run>";
        return out;
    }
    std::string U(const std::string& winPath) {
        // Appended rather than "'" + temporary: GCC 12 warns falsely (-Wrestrict) on that form.
        std::string quoted(1, '\'');
        quoted += archive_test::UnixPath(winPath);
        quoted += '\'';
        return quoted;
    }
    static std::string Fixture(const std::string& name) { return ostra::AppDir() + "fixtures\\" + name; }

    TempDir temp{"tardll"};
};

}  // namespace

TEST_F(TarStandinTest, PackedArchivesAreReadByGnuTarByteForByte) {
    const std::string base = temp / "base\\";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.txt", Hello()},
        {"empty.txt", ""},
        {"sub\\b.bin", DataBin() + std::string(100000, 'x')},
        {kLongFolder + "\\long.txt", "long"}};
    TStrings names;
    for (const auto& [name, data] : files) {
        archive_test::MakeTree(base, {name});
        ASSERT_TRUE(WriteFileBytes(base + name, data));
        names.push_back(name);
    }
    for (const char* archiveName : {"out.tgz", "out.tar"}) {
        TArchiveFile archive;
        archive.SetFileName(temp / archiveName);
        archive.Options().jm = std::string(archiveName) == "out.tgz" ? 9 : -1;
        ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {names})) << archiveName;
        const std::string unixDir = temp / (std::string(archiveName) + ".unix");
        ::CreateDirectoryA(unixDir.c_str(), nullptr);
        const std::string out = Unix("tar -xf " + U(temp / archiveName) + " -C " + U(unixDir));
        EXPECT_NE(std::string::npos, out.find("exit=0")) << out;
        for (const auto& [name, data] : files) EXPECT_EQ(data, ReadFileBytes(unixDir + "\\" + name)) << name;
    }
    EXPECT_EQ(TArchiverType::atTgz, GetTarArchiverType(temp / "out.tgz"));
    EXPECT_EQ(TArchiverType::atTar, GetTarArchiverType(temp / "out.tar"));
}

TEST_F(TarStandinTest, ExtractReadsTheArchivesOfGnuTarLongNamesIncluded) {
    for (const char* fixture : {"gnutar-plain.tar", "gnutar-gzip.tgz"}) {
        const std::string dest = temp / (std::string(fixture) + ".out\\");
        TArchiveFile archive;
        archive.SetFileName(Fixture(fixture));
        ASSERT_EQ(0, archive.Extract(nullptr, nullptr, dest, {})) << fixture;
        EXPECT_EQ(Hello(), ReadFileBytes(dest + "hello.txt")) << fixture;
        EXPECT_EQ(DataBin(), ReadFileBytes(dest + "sub\\data.bin")) << fixture;
        EXPECT_EQ("", ReadFileBytes(dest + "empty.txt")) << fixture;
        EXPECT_EQ("long\n", ReadFileBytes(dest + kLongFolder + "\\long.txt")) << fixture;
        EXPECT_EQ(kFixtureTime, testing_support::WriteTime(dest + "hello.txt")) << fixture;

        ASSERT_EQ(0, archive.OpenArchive(nullptr, 0));
        std::string listed;
        TEntryRecord e;
        for (int r = archive.FindFirst("*.*", e); r == 0; r = archive.FindNext(e))
            listed += FieldText(e.FileName).substr(0, 12) + "@" + std::to_string(e.OriginalSize) + ";";
        archive.CloseArchive();
        EXPECT_EQ(
            "hello.txt@1200;sub@0;sub/"
            "data.bin@1024;empty.txt@0;dddddddddddd@0;dddddddddddd@0;dddddddddddd@5;",
            listed);
    }
    EXPECT_EQ(TArchiverType::atBZ2, GetTarArchiverType(Fixture("gnutar-bzip2.tar.bz2")));
    EXPECT_EQ(TArchiverType::atNone, GetTarArchiverType(Fixture("infozip-deflate.zip")));
}

TEST_F(TarStandinTest, ArchivesOfGnuTarAreReadAsGnuTarReadsThemWithNamesInShiftJis) {
    // UTF-8 names in plain GNU and ustar headers and in POSIX extended headers; names beginning
    // with "./" ("tar -cf x ."); gzip data in two members followed by zero padding.
    for (const char* fixture : {"gnutar-ja-gnu.tar", "gnutar-ja-posix.tar", "gnutar-ja-ustar.tar",
                                "gnutar-ja-dot.tar", "gzip-ja-padded.tgz"}) {
        const std::string reference = temp / (std::string(fixture) + ".ref\\");
        const std::string dest = temp / (std::string(fixture) + ".out\\");
        ::CreateDirectoryA(reference.c_str(), nullptr);
        const TTree expected = backend_test::TreeExtractedBy(
            temp.Path(), "tar -xf " + U(Fixture(fixture)) + " -C " + U(reference), reference);
        ASSERT_EQ(backend_test::JapaneseFixtureTree(), expected) << fixture;
        TArchiveFile archive;
        archive.SetFileName(Fixture(fixture));
        EXPECT_EQ(0, archive.Extract(nullptr, nullptr, dest, {})) << fixture;
        EXPECT_EQ(expected, TreeOf(dest)) << fixture;
        EXPECT_EQ(backend_test::NamesOf(expected), backend_test::ListedNames(Fixture(fixture))) << fixture;
    }
}

TEST_F(TarStandinTest, ALinkIsSkippedAndReportedWithItsNameAndTargetInShiftJis) {
    TTar32 tar;
    std::string cmdLine, output(1024, '\0');
    const std::string dest = temp / "link\\";
    EXPECT_EQ(0, tar.Extract(nullptr, Fixture("gnutar-ja-link.tar"), TArchiverOptions(), dest, {}, false,
                             cmdLine, output));
    EXPECT_EQ("  skipped (not a file): リンク -> 日本語.txt\r\n", std::string(output.c_str()));
    EXPECT_EQ(TTree{}, TreeOf(dest));
}

TEST_F(TarStandinTest, ShiftJisNamesOfOurOwnArchivesStayShiftJis) {
    // "窶職.txt" is valid UTF-8 byte for byte ("‐E.txt"): the archive's other names show that
    // its names are Shift-JIS.
    const TTree files = {"ソ表\\x.txt=x", "日本語.txt=nihongo", "窶職.txt=mojibake"};
    const std::string base = temp / "base\\", dest = temp / "dest\\";
    ::CreateDirectoryA(base.c_str(), nullptr);
    ASSERT_TRUE(testing_support::MakeTree(base, files));
    TArchiveFile archive;
    archive.SetFileName(temp / "sjis.tar");
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"ソ表\\x.txt", "日本語.txt", "窶職.txt"}));
    ASSERT_EQ(0, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ(TreeOf(base), TreeOf(dest));
}

TEST_F(TarStandinTest, NamesComeThroughTheResponseFileTheComponentWrites) {
    const std::string base = temp / "base\\", dest = temp / "dest\\";
    ::CreateDirectoryA(base.c_str(), nullptr);
    ASSERT_TRUE(testing_support::MakeTree(base, {"a.txt=a", "with blank.txt=blank", "サブ\\表.txt=hyo"}));
    TArchiveFile archive;
    archive.SetFileName(temp / "r.tgz");
    archive.Options().ResFileName = temp / "names.rsp";
    ASSERT_EQ(0, archive.Pack(nullptr, nullptr, base, {"a.txt", "with blank.txt", "サブ\\表.txt"}));
    EXPECT_EQ((TTree{"a.txt", "with blank.txt", "サブ\\表.txt"}), backend_test::ListedNames(temp / "r.tgz"));
    ASSERT_EQ(0, archive.Extract(nullptr, nullptr, dest, {"with blank.txt", "サブ\\表.txt"}));
    EXPECT_EQ((TTree{"with blank.txt=blank", "サブ\\", "サブ\\表.txt=hyo"}), TreeOf(dest));
}

TEST_F(TarStandinTest, DamagedAndHostileArchivesFailClearlyAndLeaveTheDestinationAsItWas) {
    const std::string dest = temp / "dest\\";
    archive_test::MakeTree(dest, {});
    ASSERT_TRUE(WriteFileBytes(dest + "hello.txt", "old"));
    TArchiveFile archive;

    // A byte of the compressed data changed: gzip's CRC (or the decoder) finds it before anything
    // is written.
    std::string damaged = ReadFileBytes(Fixture("gnutar-gzip.tgz"));
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x55);
    ASSERT_TRUE(WriteFileBytes(temp / "damaged.tgz", damaged));
    archive.SetFileName(temp / "damaged.tgz");
    EXPECT_EQ(0x8008, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ("old", ReadFileBytes(dest + "hello.txt"));
    EXPECT_EQ(std::vector<std::string>{"hello.txt"}, archive_test::FilesBelow(dest));

    archive.SetFileName(Fixture("python-dotdot.tar"));
    EXPECT_EQ(0x800B, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_FALSE(Exists(dest + "ok.txt"));
    EXPECT_FALSE(Exists(temp / "evil.txt"));

    // "./../evil.txt": a harmless component does not make ".." harmless.
    archive.SetFileName(Fixture("python-dot-dotdot.tar"));
    EXPECT_EQ(0x800B, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_FALSE(Exists(dest + "ok.txt"));
    EXPECT_FALSE(Exists(temp / "evil.txt"));

    // "café.txt" (UTF-8 in a POSIX extended header) has no Shift-JIS form: that entry is refused,
    // never written as "cafe.txt" or the like; the others are extracted, and the result says it
    // was not all.
    archive.SetFileName(Fixture("python-nosjis.tar"));
    EXPECT_EQ(0x8010, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ((std::vector<std::string>{"hello.txt", "ok.txt"}), archive_test::FilesBelow(dest));
    EXPECT_EQ((TTree{"caf<U+00E9>.txt", "ok.txt"}), backend_test::ListedNames(Fixture("python-nosjis.tar")));
    ASSERT_TRUE(::DeleteFileA((dest + "ok.txt").c_str()));

    // Zero padding and then anything else, another gzip member too, is damage.
    std::string padded = ReadFileBytes(Fixture("gzip-ja-padded.tgz"));
    padded.back() = 'x';
    ASSERT_TRUE(WriteFileBytes(temp / "padded.tgz", padded));
    archive.SetFileName(temp / "padded.tgz");
    EXPECT_EQ(0x8008, archive.Extract(nullptr, nullptr, dest, {}));
    padded.back() = '\0';
    ASSERT_TRUE(WriteFileBytes(temp / "padded.tgz", padded + ReadFileBytes(Fixture("gnutar-gzip.tgz"))));
    EXPECT_EQ(0x8008, archive.Extract(nullptr, nullptr, dest, {}));

    // A header whose checksum is wrong: no archive at all.
    std::string plain = ReadFileBytes(Fixture("gnutar-plain.tar"));
    plain[0] = 'H';
    ASSERT_TRUE(WriteFileBytes(temp / "bad.tar", plain));
    EXPECT_EQ(TArchiverType::atNone, GetTarArchiverType(temp / "bad.tar"));
    archive.SetFileName(temp / "bad.tar");
    EXPECT_EQ(0x8007, archive.Extract(nullptr, nullptr, dest, {}));
    EXPECT_EQ(std::vector<std::string>{"hello.txt"}, archive_test::FilesBelow(dest));

    // bzip2 cannot be read; packing a missing file leaves no archive behind.
    archive.SetFileName(Fixture("gnutar-bzip2.tar.bz2"));
    EXPECT_EQ(0x8002, archive.Extract(nullptr, nullptr, dest, {}));
    archive.SetFileName(temp / "new.tgz");
    archive.Options().PackFilter = TPackFilter::pfArchiver;
    EXPECT_EQ(0x8003, archive.Pack(nullptr, nullptr, dest, {"missing.txt"}));
    EXPECT_FALSE(Exists(temp / "new.tgz"));
}

#endif
