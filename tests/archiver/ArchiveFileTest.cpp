// The archive file component: format choice by name and content, its failure table, and, with
// UNLHA32.DLL beside the tests, packing, listing and extracting real archives, checked with lhasa.
#include "Archives.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ARJ32.h"
#include "ArchiveTestSupport.h"
#include "ArchiverErrors.h"
#include "OptionsTestSupport.h"
#include "TestDllClient.h"
#include "ZIP32.h"

using namespace arc;
using archive_test::CurrentDirKeeper;
using archive_test::MakeTree;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using Names = std::vector<std::string>;

namespace {

// Made by jlha ("jlha a small.lzh hello.txt", hello.txt holding "hello from jlha\n" and last
// written 2003-04-05 06:07:08 UTC): one stored entry in a level-2 header.
const unsigned char kJlhaHelloLzh[] = {
    0x2b, 0x00, 0x2d, 0x6c, 0x68, 0x30, 0x2d, 0x10, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00,
    0x8c, 0x72, 0x8e, 0x3e, 0x20, 0x02, 0x06, 0x4e, 0x00, 0x05, 0x00, 0x00, 0x06, 0x91, 0x0c,
    0x00, 0x01, 0x68, 0x65, 0x6c, 0x6c, 0x6f, 0x2e, 0x74, 0x78, 0x74, 0x00, 0x00, 0x68, 0x65,
    0x6c, 0x6c, 0x6f, 0x20, 0x66, 0x72, 0x6f, 0x6d, 0x20, 0x6a, 0x6c, 0x68, 0x61, 0x0a, 0x00};
const std::string kJlhaHello(reinterpret_cast<const char*>(kJlhaHelloLzh), sizeof kJlhaHelloLzh);

// 2003-04-05 06:07:08 UTC.
FILETIME HelloWriteTime() {
    SYSTEMTIME st{2003, 4, 0, 5, 6, 7, 8, 0};
    FILETIME ft;
    ::SystemTimeToFileTime(&st, &ft);
    return ft;
}

uint64_t U64(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

bool LibraryPresent(const char* dll) {
    HMODULE h = ::LoadLibraryA(dll);
    if (!h) return false;
    ::FreeLibrary(h);
    return true;
}

// The build that makes UNLHA32.DLL puts it beside the tests, and its absence is then a fault; a
// build without it can only skip.
#ifdef PELMIRA_HAVE_UNLHA32
#define REQUIRE_UNLHA32()               \
    if (!LibraryPresent("UNLHA32.DLL")) \
    FAIL() << "UNLHA32.DLL is not beside the tests, though the build makes it (target unlha32)"
#else
#define REQUIRE_UNLHA32()               \
    if (!LibraryPresent("UNLHA32.DLL")) \
    GTEST_SKIP() << "UNLHA32.DLL is not beside the tests (build target unlha32)"
#endif

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<nothing raised>";
}

// The switches the backup engine packs with.
void BackupSwitches(TArchiverOptions& o) {
    o.a = 1;
    o.x = 1;
    o.jm = 2;
    o.jso = 1;
    o.n = 1;
}

void ExtractSwitches(TArchiverOptions& o) {
    o.x = 1;
    o.jse = 1;
    o.jso = 1;
    o.n = 1;
}

struct Entry {
    std::string name;
    uint32_t size;
    uint64_t writeTime;
    uint16_t dosDate, dosTime;
};

std::vector<Entry> ListEntries(TArchiveFile& archive) {
    std::vector<Entry> out;
    if (archive.OpenArchive(nullptr, 0) != 0) return out;
    TEntryRecord e{};
    for (int r = archive.FindFirst("*.*", e); r == 0; r = archive.FindNext(e))
        out.push_back({FieldText(e.FileName), e.OriginalSize, U64(e.LastWriteTime), e.DosDate, e.DosTime});
    archive.CloseArchive();
    return out;
}

}  // namespace

TEST(ArchiveFileType, OnlyTheLastComponentsExtensionCountsAndCaseDoesNot) {
    using T = TArchiverType;
    const std::pair<const char*, T> cases[] = {
        {"A.LZH", T::atLha},  {"x.War", T::atZip},           {"x.Z", T::atTgz},
        {"x.a", T::atTar},    {"dir.lzh\\x.txt", T::atNone}, {"x.lzh.bak", T::atNone},
        {"noext", T::atNone}, {"C:\\a.b\\c", T::atNone}};
    for (const auto& [name, type] : cases)
        EXPECT_EQ(TArchiveFile::DetectArchiveType(name, true), type) << name;
}

TEST(ArchiveFileType, ANewComponentHasNoBackEndAndSaysSo) {
    TArchiveFile archive;
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atAutoDetect);
    EXPECT_TRUE(IsUnsetText(archive.FileName()));
    archive.SetFileName("notes.xyz");
    EXPECT_EQ(archive.Archiver(), nullptr);
    EXPECT_EQ(archive.FileName(), "notes.xyz");
    EXPECT_EQ(MessageOf([&] { archive.Extract(nullptr, nullptr, "", {}); }), "書庫の形式を判別できません。");
    EXPECT_THROW(archive.CheckArchiver(), EArchiver);
}

TEST(ArchiveFileType, GcaAndBelAreRejectedAndTheNameStays) {
    TArchiveFile archive;
    archive.SetFileName("keep.xyz");
    EXPECT_EQ(MessageOf([&] { archive.SetFileName("x.gca"); }), "書庫の形式を特定できませんでした。");
    EXPECT_EQ(archive.FileName(), "keep.xyz");
    EXPECT_EQ(MessageOf([&] { archive.SetArchiverType(TArchiverType::atBel); }),
              "書庫の形式を特定できませんでした。");
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atAutoDetect);
    archive.Loading = true;  // read from a stored component: only kept
    archive.SetArchiverType(TArchiverType::atGCA);
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atGCA);
    EXPECT_EQ(archive.Archiver(), nullptr);
}

TEST(ArchiveFileType, UnknownExtensionsAndAtNoneKeepTheBackEnd) {
    REQUIRE_UNLHA32();
    TArchiveFile archive;
    archive.SetFileName("a.lzh");
    TArchiver* lha = archive.Archiver();
    ASSERT_NE(lha, nullptr);
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atLha);
    archive.SetFileName("b.unknown");
    EXPECT_EQ(archive.Archiver(), lha);
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atLha);
    EXPECT_EQ(archive.FileName(), "b.unknown");
    archive.SetArchiverType(TArchiverType::atNone);
    EXPECT_EQ(archive.Archiver(), lha);
    archive.SetFileName("C.LZH");
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atLha);
    EXPECT_NE(archive.Archiver(), nullptr);
}

TEST(ArchiveFileType, AFailingBackEndCreationKeepsTypeNameAndBackEnd) {
    REQUIRE_UNLHA32();
    if (LibraryPresent("UNARJ32J.DLL")) GTEST_SKIP() << "UNARJ32J.DLL is on the search path";
    TArchiveFile archive;
    archive.SetFileName("a.lzh");
    TArchiver* lha = archive.Archiver();
    EXPECT_EQ(MessageOf([&] { archive.SetFileName("b.arj"); }),
              "ARJ 形式書庫 を扱うには UNARJ32J.DLL が 必要です。");
    EXPECT_THROW(archive.SetFileName("b.arj"), ENoArchiverDLL);
    EXPECT_EQ(archive.FileName(), "a.lzh");
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atLha);
    EXPECT_EQ(archive.Archiver(), lha);
}

TEST(ArchiveFileType, EachFormatGetsItsOwnBackEnd) {
    REQUIRE_UNLHA32();
    TArchiveFile archive;
    archive.SetFileName("a.lzh");
    archive.SetFileName("b.zip");  // the ZIP binding loads whatever ZIP libraries there are
    EXPECT_EQ(archive.ArchiverType(), TArchiverType::atZip);
    EXPECT_NE(dynamic_cast<TZip32*>(archive.Archiver()), nullptr);  // an LHA back-end must not handle it
}

TEST(ArchiveFileType, ExeNamesAndAutoDetectionLookAtTheContent) {
    REQUIRE_UNLHA32();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "sfx.exe", kJlhaHello));
    ASSERT_TRUE(WriteFileBytes(dir / "plain.exe", "MZ not an archive at all"));
    ASSERT_TRUE(WriteFileBytes(dir / "archive.bin", kJlhaHello));
    EXPECT_EQ(TArchiveFile::DetectArchiveType(dir / "sfx.exe", true), TArchiverType::atLha);
    EXPECT_EQ(TArchiveFile::DetectArchiveType(dir / "plain.exe", true), TArchiverType::atNone);
    EXPECT_EQ(TArchiveFile::DetectArchiveType(dir / "missing.exe", true), TArchiverType::atNone);
    // By extension a non-".exe" name is never opened.
    EXPECT_EQ(TArchiveFile::DetectArchiveType(dir / "archive.bin", true), TArchiverType::atNone);

    TArchiveFile exe;
    exe.SetFileName(dir / "sfx.exe");
    EXPECT_EQ(exe.ArchiverType(), TArchiverType::atLha);
    TArchiveFile plain;
    plain.SetFileName(dir / "plain.exe");
    EXPECT_EQ(plain.ArchiverType(), TArchiverType::atAutoDetect);
    EXPECT_EQ(plain.Archiver(), nullptr);

    // An unknown extension stays undetected until an operation probes the file.
    TArchiveFile bin;
    bin.SetFileName(dir / "archive.bin");
    EXPECT_EQ(bin.Archiver(), nullptr);
    ASSERT_EQ(bin.OpenArchive(nullptr, 0), 0);
    EXPECT_EQ(bin.ArchiverType(), TArchiverType::atLha);
    bin.CloseArchive();
}

TEST(ArchiveFileList, AJlhaArchiveListsWithSizeAndTimes) {
    REQUIRE_UNLHA32();
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "small.lzh", kJlhaHello));
    TArchiveFile archive;
    archive.SetFileName(dir / "small.lzh");
    std::vector<Entry> entries = ListEntries(archive);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "hello.txt");
    EXPECT_EQ(entries[0].size, 16u);
    EXPECT_EQ(entries[0].writeTime, U64(HelloWriteTime()));
    FILETIME utc = HelloWriteTime(), local;
    WORD date = 0, time = 0;
    ::FileTimeToLocalFileTime(&utc, &local);
    ::FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(entries[0].dosDate, date);
    EXPECT_EQ(entries[0].dosTime, time);
    EXPECT_EQ(archive.ArchiveHandle(), nullptr);
}

TEST(ArchiveFileList, AMissingArchiveDoesNotOpen) {
    REQUIRE_UNLHA32();
    TempDir dir;
    TArchiveFile archive;
    archive.SetFileName(dir / "missing.lzh");
    EXPECT_EQ(archive.OpenArchive(nullptr, 0), 1);
    EXPECT_EQ(archive.ArchiveHandle(), nullptr);
    TEntryRecord e{};
    EXPECT_NE(archive.FindFirst("*.*", e), 0);
}

// Packing and extracting real trees with UNLHA32.DLL.
class ArchivePack : public ::testing::Test {
  protected:
    void SetUp() override {
        REQUIRE_UNLHA32();
        Base = Dir.Path() + "base";
        MakeTree(Dir.Path() + "base\\", {"a.txt", "b.log", "sub\\c.txt", "sub\\deep\\d.txt", "skip.tmp"});
        std::string big;
        for (int i = 0; i < 70000; ++i) big += static_cast<char>('A' + (i * 31 + i / 97) % 26);
        ASSERT_TRUE(WriteFileBytes(Dir / "base\\sub\\big.txt", big));
        ASSERT_TRUE(testing_support::SetLocalWriteTime(Dir / "base\\a.txt", 2010, 6, 7, 8, 9, 10));
        Archive.SetFileName(Dir / "out.lzh");
        BackupSwitches(Archive.Options());
    }

    CurrentDirKeeper Keeper;
    TempDir Dir{"archive"};
    std::string Base;
    TArchiveFile Archive;
};

TEST_F(ArchivePack, ATreePacksIntoAnArchiveLhasaListsAndExtractRestoresIt) {
    Archive.Options().r = 1;
    Archive.Options().jx = {"*.tmp"};
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"*.*"}), 0) << Archive.CommandLine();
    ASSERT_TRUE(Exists(Dir / "out.lzh"));
    const Names packed{"a.txt", "b.log", "sub\\big.txt", "sub\\c.txt", "sub\\deep\\d.txt"};

    Names listed = archive_test::LhasaNames(Dir.Path(), Dir / "out.lzh");
    std::sort(listed.begin(), listed.end());
    Names expected;
    for (std::string n : packed) {
        std::replace(n.begin(), n.end(), '\\', '/');
        expected.push_back(n);
    }
    EXPECT_EQ(listed, expected);

    // Listing through the component: every entry with the size and time of its file.
    std::vector<Entry> entries = ListEntries(Archive);
    ASSERT_EQ(entries.size(), packed.size());
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name);
        EXPECT_NE(std::find(packed.begin(), packed.end(), e.name), packed.end());
        const std::string source = Base + "\\" + e.name;
        EXPECT_EQ(e.size, ReadFileBytes(source).size());
        const uint64_t written = testing_support::WriteTime(source);
        EXPECT_LE(written > e.writeTime ? written - e.writeTime : e.writeTime - written, 20000000u);  // 2 s
        EXPECT_NE(e.dosDate, 0);
    }

    TArchiveFile unpack;
    unpack.SetFileName(Dir / "out.lzh");
    ExtractSwitches(unpack.Options());
    ASSERT_EQ(unpack.Extract(nullptr, nullptr, Dir / "restored", {}), 0) << unpack.CommandLine();
    for (const std::string& n : packed)
        EXPECT_EQ(ReadFileBytes(Dir / "restored\\" + n), ReadFileBytes(Base + "\\" + n)) << n;
    EXPECT_FALSE(Exists(Dir / "restored\\skip.tmp"));
    EXPECT_EQ(testing_support::WriteTime(Dir / "restored\\a.txt") / 20000000,
              testing_support::WriteTime(Base + "\\a.txt") / 20000000);
}

TEST_F(ArchivePack, PackWorksOnACopyOfTheOptions) {
    TArchiverOptions& o = Archive.Options();
    o.r = 1;
    o.p = 0;
    o.jo = "20000101";
    o.job = "20991231";
    o.jx = {"*.tmp", "*.log"};
    const TArchiverOptions before = o;
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"*.*"}), 0);
    EXPECT_EQ(o.r, before.r);
    EXPECT_EQ(o.p, before.p);
    EXPECT_EQ(o.jo, before.jo);
    EXPECT_EQ(o.job, before.job);
    EXPECT_EQ(o.jx, before.jx);
    // And the options given explicitly are left alone too.
    TArchiverOptions mine = before;
    ASSERT_EQ(Archive.Pack(nullptr, &mine, Base, {"*.*"}), 0);
    EXPECT_EQ(mine.r, 1);
    EXPECT_EQ(mine.jx, before.jx);
    Names listed = archive_test::LhasaNames(Dir.Path(), Dir / "out.lzh");
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (Names{"a.txt", "sub/big.txt", "sub/c.txt", "sub/deep/d.txt"}));
}

TEST_F(ArchivePack, AbortFromOnProgressReturns32800AndPacksNothing) {
    Archive.Options().r = 1;
    int reports = 0;
    Archive.OnProgress = [&](TArchiveFile&, int state, TProgressRecord* record, bool& abort) {
        EXPECT_EQ(state, 2053);
        EXPECT_FALSE(FieldText(record->SourceFileName).empty());
        ++reports;
        abort = true;
    };
    EXPECT_EQ(Archive.Pack(nullptr, nullptr, Base, {"*.*"}), 32800);
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(Exists(Dir / "out.lzh"));
    EXPECT_TRUE(Archive.CommandLine().empty());
}

TEST_F(ArchivePack, AnEmptySelectionReturnsZeroWithoutTheLibrary) {
    Archive.SetOutputSize(4096);
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"a.txt"}), 0);
    ASSERT_FALSE(Archive.OutputText().empty()) << "the library reports what it packed";
    const std::string archived = ReadFileBytes(Dir / "out.lzh");
    const std::string line = Archive.CommandLine();
    EXPECT_EQ(Archive.Pack(nullptr, nullptr, Base, {"nothing*.here"}), 0);
    EXPECT_EQ(Archive.OutputText(), "");
    EXPECT_EQ(Archive.CommandLine(), line);  // no new command was built
    EXPECT_EQ(ReadFileBytes(Dir / "out.lzh"), archived);
    TArchiveFile fresh;
    fresh.SetFileName(Dir / "none.lzh");
    BackupSwitches(fresh.Options());
    EXPECT_EQ(fresh.Pack(nullptr, nullptr, Base, {"nothing*.here"}), 0);
    EXPECT_FALSE(Exists(Dir / "none.lzh"));
}

TEST_F(ArchivePack, ProgressMessagesReachOnProgressThroughTheHiddenWindow) {
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"a.txt"}), 0);
    EXPECT_EQ(Archive.ProgressWindow(), nullptr);  // nobody listens: no window

    Names selected, processed;
    Archive.OnProgress = [&](TArchiveFile&, int state, TProgressRecord* record, bool&) {
        (state == 2053 ? selected : processed).push_back(FieldText(record->SourceFileName));
        if (state != 2053) {
            EXPECT_EQ(state, 1);
        }
    };
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"a.txt", "b.log"}), 0);
    EXPECT_NE(Archive.ProgressWindow(), nullptr);
    EXPECT_EQ(selected, (Names{"a.txt", "b.log"}));
    std::sort(processed.begin(), processed.end());
    EXPECT_EQ(processed, (Names{"a.txt", "b.log"}));
}

TEST_F(ArchivePack, AnErrorInOnProgressStopsTheLibraryAndReachesTheCaller) {
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"*.*"}), 0);
    TArchiveFile unpack;
    unpack.SetFileName(Dir / "out.lzh");
    ExtractSwitches(unpack.Options());
    unpack.OnProgress = [](TArchiveFile&, int state, TProgressRecord*, bool&) {
        if (state == 1) throw std::runtime_error("stop here");
    };
    EXPECT_EQ(MessageOf([&] { unpack.Extract(nullptr, nullptr, Dir / "out", {}); }), "stop here");
    EXPECT_FALSE(Exists(Dir / "out\\a.txt"));
    // The component works on afterwards.
    unpack.OnProgress = nullptr;
    EXPECT_EQ(unpack.Extract(nullptr, nullptr, Dir / "out", {}), 0);
    EXPECT_TRUE(Exists(Dir / "out\\a.txt"));
}

TEST_F(ArchivePack, MembersAreReportedToOnEnumMember) {
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"a.txt", "b.log"}), 0);
    TArchiveFile unpack;
    unpack.SetFileName(Dir / "out.lzh");
    ExtractSwitches(unpack.Options());
    int members = 0;
    unpack.OnEnumMember = [&](TArchiveFile& sender, TEnumMemberInfo64&, bool&) {
        EXPECT_EQ(&sender, &unpack);
        ++members;
    };
    ASSERT_EQ(unpack.Extract(nullptr, nullptr, Dir / "out", {}), 0);
    EXPECT_EQ(members, 2);
    // Aborting from the event stops the library before the first file.
    unpack.OnEnumMember = [](TArchiveFile&, TEnumMemberInfo64&, bool& abort) { abort = true; };
    EXPECT_NE(unpack.Extract(nullptr, nullptr, Dir / "again", {}), 0);
    EXPECT_FALSE(Exists(Dir / "again\\a.txt"));
}

TEST_F(ArchivePack, StreamEntriesOnAVolumeWithoutStreamsComeBackAsPlainFiles) {
    // What packing on NTFS makes of a document summary stream, and a plain file merely named so.
    MakeTree(Base + "\\", {"r.doc", "r.doc;#Summary;$DATA", "a;#b"});
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, Base, {"r.doc*", "a;#b"}), 0);
    TArchiveFile unpack;
    unpack.SetFileName(Dir / "out.lzh");
    ExtractSwitches(unpack.Options());
    ASSERT_EQ(unpack.Extract(nullptr, nullptr, Dir / "x", {}), 0);
    for (const char* n : {"r.doc", "r.doc;#Summary;$DATA", "a;#b"})
        EXPECT_EQ(ReadFileBytes(Dir / "x\\" + n), "data of " + std::string(n)) << n;
}

// Packing against the test library under the ARJ library's name (an ".arj" name selects TArj32,
// which sends LHA-form lines): its log shows what reached the library.
class ArchivePackLog : public ::testing::Test {
  protected:
    void SetUp() override {
        TArj32::FreeDLL();
        ASSERT_TRUE(::SetDllDirectoryA(testdll::Dir().c_str()));
        MakeTree(Base + "\\", {"a.txt", "sub\\b.txt"});
        Archive.SetFileName(ArchiveName);
        ASSERT_EQ(Archive.ArchiverType(), TArchiverType::atArj);
        Library().Clear();
    }
    void TearDown() override {
        TArj32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
    testdll::Client Library() {
        auto* bound = Archive.Archiver() ? dynamic_cast<TArchiverDll*>(&Archive.Archiver()->Dll()) : nullptr;
        return testdll::Client(bound ? bound->Handle() : nullptr);
    }
    // The library's main-entry calls, one log line each.
    Names MainCalls() {
        Names calls;
        std::string log = Library().Log();
        for (size_t start = 0, end; start < log.size(); start = end + 1) {
            end = log.find('\n', start);
            if (end == std::string::npos) end = log.size();
            if (log.compare(start, 6, "Unarj|") == 0) calls.push_back(log.substr(start, end - start));
        }
        return calls;
    }

    CurrentDirKeeper Keeper;
    TempDir Dir{"archive-log"};
    std::string Base = Dir.Path() + "base";
    std::string ArchiveName = Dir / "out.arj";
    TArchiveFile Archive;
};

TEST_F(ArchivePackLog, WithPfArchiverOptionsAndNamesReachTheLibraryAsGiven) {
    TArchiverOptions& o = Archive.Options();
    o.PackFilter = TPackFilter::pfArchiver;
    o.r = 1;
    o.p = 0;
    o.jo = "240101";
    o.job = "241231";
    o.jso = 1;
    o.jx = {"*.bak"};
    const TArchiverOptions before = o;
    // Neither the base folder nor the names exist: no selection looks at them first.
    const std::string base = Dir / "no base";
    ASSERT_EQ(Archive.Pack(nullptr, nullptr, base, {"*.txt", TStrings{"missing.doc"}}), 0);
    const std::string line = "u -+ -p0 -r1 \"-jo240101\" \"-job241231\" -jso1 \"-jx*.bak\"  \"" +
                             ArchiveName + "\" \"" + base + "\\\" \"*.txt\" \"missing.doc\" ";
    EXPECT_EQ(Archive.CommandLine(), line);
    EXPECT_EQ(MainCalls(), Names{"Unarj|window=null|cmd=" + line + "|output=null|size=0"});
    EXPECT_EQ(options_test::Differences(o, before), "");
}

TEST_F(ArchivePackLog, AnArchiveThatDoesNotOpenIsNeverSearched) {
    ASSERT_TRUE(WriteFileBytes(ArchiveName, "TARC\r\none.txt|1|1|0|0|-|-|-\r\n"));
    Library().Set("openfails", 1);
    EXPECT_EQ(Archive.OpenArchive(nullptr, 0), 1);
    TEntryRecord e{};
    EXPECT_NE(Archive.FindFirst("*.*", e), 0);
    EXPECT_NE(Archive.FindNext(e), 0);
    Archive.CloseArchive();
    Library().Set("openfails", 0);
    const std::string log = Library().Log();
    EXPECT_NE(log.find("OpenArchive|"), std::string::npos) << log;
    EXPECT_EQ(log.find("FindFirst"), std::string::npos) << log;
    EXPECT_EQ(log.find("FindNext"), std::string::npos) << log;
    EXPECT_EQ(log.find("CloseArchive"), std::string::npos) << log;
}

TEST_F(ArchivePackLog, BadInputReachesTheCallerAndLeavesEverythingAsItWas) {
    const std::string archived = "TARC\r\nold.txt|1|1|0|0|-|-|-\r\n";
    ASSERT_TRUE(WriteFileBytes(ArchiveName, archived));
    const Names filesBefore = archive_test::FilesBelow(Dir.Path());
    const std::string currentBefore = archive_test::CurrentDir();
    TArchiverOptions& o = Archive.Options();
    o.jso = 1;
    o.r = 1;
    o.jx = {"*.tmp"};
    auto expectNothingChanged = [&](const TArchiverOptions& options, const TArchiverOptions& before) {
        EXPECT_EQ(options_test::Differences(options, before), "");
        EXPECT_EQ(testing_support::ReadFileBytes(ArchiveName), archived);
        EXPECT_EQ(archive_test::FilesBelow(Dir.Path()), filesBefore);  // no stream files left behind
        EXPECT_EQ(archive_test::CurrentDir(), currentBefore);
        EXPECT_EQ(MainCalls(), Names{});
    };
    {
        SCOPED_TRACE("jo with month 13");
        o.jo = "241332";
        const TArchiverOptions before = o;
        EXPECT_NE(MessageOf([&] { Archive.Pack(nullptr, nullptr, Base, {"*.*"}); }).find("241332"),
                  std::string::npos);
        EXPECT_THROW(Archive.Pack(nullptr, nullptr, Base, {"*.*"}), EConvertError);
        expectNothingChanged(o, before);
    }
    {
        SCOPED_TRACE("job on 30 February, in the caller's own options");
        TArchiverOptions mine = o;
        mine.jo = kUnsetText;
        mine.job = "20240230";
        const TArchiverOptions before = mine;
        EXPECT_THROW(Archive.Pack(nullptr, &mine, Base, {"*.*"}), EConvertError);
        expectNothingChanged(mine, before);
    }
    {
        SCOPED_TRACE("missing base folder");
        o.jo = kUnsetText;
        const TArchiverOptions before = o;
        EXPECT_THROW(Archive.Pack(nullptr, nullptr, Dir / "no such base", {"*.*"}), EInOutError);
        expectNothingChanged(o, before);
    }
    // The same component packs once the input is right.
    EXPECT_EQ(Archive.Pack(nullptr, nullptr, Base, {"*.*"}), 0);
    EXPECT_EQ(MainCalls().size(), 1u);
    EXPECT_NE(Archive.CommandLine().find("\"a.txt\" \"sub\\b.txt\""), std::string::npos)
        << Archive.CommandLine();
}
