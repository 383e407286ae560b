#include "FolderBackup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "StepReport.h"
#include "TestSupport.h"
#include "WineVolumes.h"
#include "ostra_consts.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

void MakeFile(const std::string& path, const std::string& data, DWORD attributes = 0) {
    ASSERT_TRUE(WriteFileBytes(path, data)) << path;
    if (attributes) {
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
    }
}

void MakeDir(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryA(path.c_str(), nullptr)) << path;
}

std::string Entry(const TempDir& folder, const std::string& rest) {
    return folder.Path() + "," + rest;
}

std::string Busy(const std::string& title) {
    return "@" + title + kLogFolderBusy;
}
std::string Copied(const std::string& name) {
    return "  " + name + kLogBackedUp;
}
std::string Kept(const std::string& name) {
    return "  " + name + kLogKept;
}

// Every file below dir, as relative paths in byte order.
void ListTree(const std::string& dir, const std::string& prefix, TStrings& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((dir + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(dir + n + "\\", prefix + n + "\\", out);
        else
            out.push_back(prefix + n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}
TStrings Tree(const std::string& dir) {
    TStrings out;
    ListTree(dir, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

TStrings Sorted(TStrings v) {
    std::sort(v.begin(), v.end());
    return v;
}

class FolderBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeFile(src / "memo.txt", "memo");
        MakeFile(src / "note.doc", "note");
        MakeFile(src / "pic.bmp", "pic");
        MakeDir(src / "Sub");
        MakeFile(src / "Sub\\b.doc", "b");
        MakeDir(src / "Sub\\Deep");
        MakeFile(src / "Sub\\Deep\\a.txt", "deep a");
    }
    TempDir src{"folsrc"};
    TempDir base{"folbase"};
    TStrings log;
};

}  // namespace

TEST_F(FolderBackupTest, SubfoldersKeepTheirPathsAndTheLogNamesFilesOnly) {
    BackupFolders(base.Path(), {Entry(src, "Docs,*.txt *.doc,1")}, &log, false, nullptr);
    // One pattern after the other, each gathering subfolders first.
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Docs"), Copied("a.txt"), Copied("memo.txt"),
                             Copied("b.doc"), Copied("note.doc"), ""}));
    EXPECT_EQ(Tree(base.Path()),
              Sorted({"Docs\\memo.txt", "Docs\\note.doc", "Docs\\Sub\\b.doc", "Docs\\Sub\\Deep\\a.txt"}));
    EXPECT_EQ(ReadFileBytes(base / "Docs\\Sub\\Deep\\a.txt"), "deep a");
    EXPECT_EQ(testing_support::WriteTime(base / "Docs\\Sub\\Deep\\a.txt"),
              testing_support::WriteTime(src / "Sub\\Deep\\a.txt"));
}

TEST_F(FolderBackupTest, WithoutTheFlagSubfoldersAreIgnored) {
    BackupFolders(base.Path(), {Entry(src, "Docs,*.txt;*.doc,0")}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Docs"), Copied("memo.txt"), Copied("note.doc"), ""}));
    EXPECT_EQ(Tree(base.Path()), Sorted({"Docs\\memo.txt", "Docs\\note.doc"}));
}

TEST_F(FolderBackupTest, AFileMatchingTwoPatternsIsCopiedTwiceOrKeptTheSecondTime) {
    // The file system matches without regard to case, so both patterns find memo.txt.
    BackupFolders(base.Path(), {Entry(src, "T,*.txt;*.TXT,0")}, &log, true, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("T"), Copied("memo.txt"), Kept("memo.txt"), ""}));
    log.clear();
    BackupFolders(base.Path(), {Entry(src, "T,*.txt;*.TXT,0")}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("T"), Copied("memo.txt"), Copied("memo.txt"), ""}));
}

TEST_F(FolderBackupTest, HiddenSystemAndReadOnlyFilesAreCopiedAndReplacedNextTime) {
    MakeFile(src / "Sub\\h.txt", "hidden", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(src / "Sub\\s.txt", "system", FILE_ATTRIBUTE_SYSTEM);
    MakeFile(src / "Sub\\r.txt", "readonly", FILE_ATTRIBUTE_READONLY);
    const TStrings expected = {kLogFolderHeader, Busy("A"),       Copied("h.txt"),
                               Copied("r.txt"),  Copied("s.txt"), ""};
    for (int run = 0; run < 2; ++run) {
        log.clear();
        BackupFolders(base.Path(), {src / "Sub,A,*.txt,0"}, &log, false, nullptr);
        EXPECT_EQ(log, expected) << "run " << run;
    }
    EXPECT_EQ(ReadFileBytes(base / "A\\h.txt"), "hidden");
    EXPECT_EQ(ReadFileBytes(base / "A\\s.txt"), "system");
    EXPECT_EQ(ReadFileBytes(base / "A\\r.txt"), "readonly");
    for (const char* f : {"Sub\\h.txt", "Sub\\s.txt", "Sub\\r.txt"})
        ::SetFileAttributesA((src / f).c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const char* f : {"A\\h.txt", "A\\s.txt", "A\\r.txt"})
        ::SetFileAttributesA((base / f).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FolderBackupTest, AnEmptyTitleCopiesStraightIntoTheBaseFolder) {
    BackupFolders(base.Path(), {Entry(src, ",*.txt,1")}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy(""), Copied("a.txt"), Copied("memo.txt"), ""}));
    EXPECT_EQ(Tree(base.Path()), Sorted({"memo.txt", "Sub\\Deep\\a.txt"}));
}

TEST_F(FolderBackupTest, TwoEntriesWithOneTitleShareTheFolderInEntryOrder) {
    TempDir second("folsrc2");
    MakeFile(second / "memo.txt", "second memo");
    MakeFile(second / "other.txt", "other");
    ASSERT_TRUE(testing_support::SetLocalWriteTime(src / "memo.txt", 2020, 1, 1, 12, 0, 0));
    ASSERT_TRUE(testing_support::SetLocalWriteTime(second / "memo.txt", 2019, 1, 1, 12, 0, 0));
    const TStrings entries = {Entry(src, "Same,*.txt,0"), Entry(second, "Same,*.txt,0")};

    // With the time-stamp option the older memo.txt of the second entry does not replace the first.
    BackupFolders(base.Path(), entries, &log, true, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Same"), Copied("memo.txt"), Busy("Same"),
                             Kept("memo.txt"), Copied("other.txt"), ""}));
    EXPECT_EQ(ReadFileBytes(base / "Same\\memo.txt"), "memo");
    // Without it the later entry wins.
    BackupFolders(base.Path(), entries, nullptr, false, nullptr);
    EXPECT_EQ(ReadFileBytes(base / "Same\\memo.txt"), "second memo");
    EXPECT_EQ(Tree(base.Path()), Sorted({"Same\\memo.txt", "Same\\other.txt"}));
}

TEST_F(FolderBackupTest, MissingFolderAndEmptyFilterLeaveOnlyTheirLine) {
    const TStrings entries = {src / "missing,Gone,*.*,1", Entry(src, "NoFilter,,1"),
                              src / "Sub",  // no commas: no title, no filter
                              Entry(src, "Good,memo.*,0")};
    BackupFolders(base.Path(), entries, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Gone"), Busy("NoFilter"), Busy(""), Busy("Good"),
                             Copied("memo.txt"), ""}));
    EXPECT_EQ(Tree(base.Path()), Sorted({"Good\\memo.txt"}));
    EXPECT_FALSE(Exists(base / "Gone"));
}

TEST_F(FolderBackupTest, AStopAmongTheFilesEndsTheStepAtOnce) {
    TempDir later("follater");
    MakeFile(later / "x.txt", "x");
    const TStrings entries = {Entry(src, "Docs,*.txt *.doc,1"), Entry(later, "Later,*.*,0")};

    // Called before every entry and every file: 1 + 4 + 1 + 1.
    int calls = 0;
    BackupFolders(base.Path(), entries, nullptr, false, [&](bool&) { ++calls; });
    EXPECT_EQ(calls, 7);

    TempDir base2("folbase2");
    calls = 0;
    // Call 1 is before the entry, 2 before a.txt, 3 before memo.txt: stop there.
    BackupFolders(base2.Path(), entries, &log, false, [&](bool& stop) { stop = ++calls == 3; });
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Docs"), Copied("a.txt")}));  // no closing empty line
    EXPECT_EQ(Tree(base2.Path()), Sorted({"Docs\\Sub\\Deep\\a.txt"}));
}

TEST_F(FolderBackupTest, AFailedCopyIsLoggedAndCountedWithItsReason) {
    MakeDir(base / "T");
    MakeDir(base / "T\\memo.txt");  // a folder where the copy should go
    const TStepReport report =
        BackupFolders(base.Path(), {Entry(src, "T,*.txt;*.doc,0")}, &log, false, nullptr);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[2].rfind("  memo.txt" + std::string(kLogCopyFailed) + "（", 0), 0u) << log[2];
    EXPECT_EQ(log[3], Copied("note.doc"));
    EXPECT_EQ(report.Copied, 1u);
    ASSERT_EQ(report.Failed.size(), 1u);
    EXPECT_EQ(report.Failed[0].Item, src / "memo.txt");
}

TEST_F(FolderBackupTest, NamesTheCodePageCannotHoldAreReportedNeverCopiedAsAnother) {
    using testing_support::LongWide;
    // "résumé.txt" beside "resume.txt": the ANSI listing shows both as resume.txt. An emoji and
    // Hangul have no Shift-JIS form at all; a final dot or blank is cut off by the ANSI calls.
    ASSERT_TRUE(testing_support::WriteWideFile(LongWide(src.Path(), L"resume.txt"), "plain"));
    for (const wchar_t* name :
         {L"r\u00e9sum\u00e9.txt", L"\U0001F600.txt", L"\uD55C\uAD6D.txt", L"dot.txt.", L"blank.txt "})
        ASSERT_TRUE(testing_support::WriteWideFile(LongWide(src.Path(), name), "accented"));
    const TStepReport report = BackupFolders(base.Path(), {Entry(src, "T,*.txt*,0")}, &log, false, nullptr);
    const std::string noAnsi = "（名前にこのシステムの文字コードで表せない文字があります）";
    const std::string trailing = "（名前の末尾が点または空白です）";
    EXPECT_EQ(Sorted(log), Sorted({kLogFolderHeader, Busy("T"), Copied("memo.txt"), Copied("resume.txt"),
                                   "  r?sum?.txt" + std::string(kLogCopyFailed) + noAnsi,
                                   "  ?.txt" + std::string(kLogCopyFailed) + noAnsi,
                                   "  ??.txt" + std::string(kLogCopyFailed) + noAnsi,
                                   "  dot.txt." + std::string(kLogCopyFailed) + trailing,
                                   "  blank.txt " + std::string(kLogCopyFailed) + trailing, ""}));
    EXPECT_EQ(Tree(base.Path()), Sorted({"T\\memo.txt", "T\\resume.txt"}));
    EXPECT_EQ(ReadFileBytes(base / "T\\resume.txt"), "plain");
    EXPECT_EQ(report.Copied, 2u);
    EXPECT_EQ(report.Failed.size(), 5u);
}

TEST_F(FolderBackupTest, TreesPastMaxPathAreCopiedWhole) {
    std::string deep = src / "Long";
    while (deep.size() < 300) deep += "\\abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(testing_support::MakeWideFolders(testing_support::LongWide(deep)));
    ASSERT_TRUE(testing_support::WriteWideFile(testing_support::LongWide(deep + "\\deep.txt"), "deep"));
    const TStepReport report = BackupFolders(base.Path(), {Entry(src, "D,deep.txt,1")}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("D"), Copied("deep.txt"), ""}));
    EXPECT_EQ(report.Copied, 1u);
    const std::string copy = base / "D\\" + deep.substr(src.Path().size()) + "\\deep.txt";
    EXPECT_EQ(testing_support::ReadWideFile(testing_support::LongWide(copy)), "deep");
}

TEST_F(FolderBackupTest, TitlesLeadingOutOfTheBaseFolderAreSkipped) {
    const std::string inner = base / "inner\\";  // so that anything written beside it shows
    const TStrings bad = {".", "..", "...", " . ", "a\\b", "..\\x", "a/b", "C:x", "x:"};
    TStrings entries;
    TStrings expected = {kLogFolderHeader};
    for (const std::string& t : bad) {
        entries.push_back(Entry(src, t + ",*.*,1"));
        expected.push_back(Busy(t));
        expected.push_back(kLogBadTitle);
    }
    // 表 ends in byte 0x5C, which is no backslash.
    entries.push_back(Entry(src, "表,memo.txt,0"));
    expected.push_back(Busy("表"));
    expected.push_back(Copied("memo.txt"));
    expected.push_back("");
    BackupFolders(inner, entries, &log, false, nullptr);
    EXPECT_EQ(log, expected);
    EXPECT_EQ(Tree(base.Path()), Sorted({"inner\\表\\memo.txt"}));
}

TEST_F(FolderBackupTest, TheBaseFolderInsideTheRegisteredFolderIsNotCopiedIntoItself) {
    const std::string inside = src / "Out";
    for (int run = 0; run < 2; ++run) {
        log.clear();
        // The base folder spelled in upper case: the same folder all the same.
        BackupFolders(src / "OUT", {Entry(src, "Self,*.*,1")}, &log, false, nullptr);
        EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Self"), Copied("a.txt"), Copied("b.doc"),
                                 Copied("memo.txt"), Copied("note.doc"), Copied("pic.bmp"), ""}))
            << "run " << run;
    }
    EXPECT_EQ(Tree(inside + "\\"), Sorted({"Self\\memo.txt", "Self\\note.doc", "Self\\pic.bmp",
                                           "Self\\Sub\\b.doc", "Self\\Sub\\Deep\\a.txt"}));

    // Registered as the base folder itself, the folder would copy its own copies: nothing is taken.
    log.clear();
    BackupFolders(inside, {inside + ",Again,*.*,1"}, &log, false, nullptr);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Again"), ""}));
    EXPECT_FALSE(Exists(inside + "\\Again"));
}

TEST_F(FolderBackupTest, TheBaseFolderNamedThroughALinkOrAnotherDriveIsNotCopiedIntoItself) {
    MakeDir(src / "Out");
    const TStrings expected = Sorted(
        {"Self\\memo.txt", "Self\\note.doc", "Self\\pic.bmp", "Self\\Sub\\b.doc", "Self\\Sub\\Deep\\a.txt"});
    {
        // src\Sub\Up leads back to src: src\Sub\Up\Out is the folder src\Out.
        testing_support::UnixFolderLink up(src / "Sub\\", "Up", "..");
        ASSERT_TRUE(up.Made());
        for (int run = 0; run < 2; ++run)
            BackupFolders(src / "Sub\\Up\\Out", {Entry(src, "Self,*.*,1")}, nullptr, false, nullptr);
        EXPECT_EQ(Tree(src / "Out\\"), expected);
    }
    testing_support::SecondDriveLetter drive(src.Path());
    if (!drive.Made()) GTEST_SKIP() << "no second drive letter could be made (needs Wine's dosdevices)";
    testing_support::RemoveTree(src / "Out\\Self");
    for (int run = 0; run < 2; ++run)
        BackupFolders(drive.Root() + "Out", {Entry(src, "Self,*.*,1")}, nullptr, false, nullptr);
    EXPECT_EQ(Tree(src / "Out\\"), expected);
}

TEST_F(FolderBackupTest, TheArchiveFolderInsideARegisteredFolderIsLeftOut) {
    // The archive folder below the registered one, named in another spelling.
    MakeDir(src / "Arc");
    MakeFile(src / "Arc\\2005_0302_0905.lzh", "an earlier archive");
    std::string spelled = src / "sub\\..\\ARC";
    BackupFolders(base.Path(), {Entry(src, "Docs,*.*,1")}, nullptr, false, nullptr, spelled);
    EXPECT_EQ(Tree(base.Path()), Sorted({"Docs\\memo.txt", "Docs\\note.doc", "Docs\\pic.bmp",
                                         "Docs\\Sub\\b.doc", "Docs\\Sub\\Deep\\a.txt"}));
}

TEST_F(FolderBackupTest, ARelativeFolderIsTakenAsMissing) {
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    // From the parent of the registered folder, its bare name would find it.
    const std::string path = src.Path();
    const std::string name = path.substr(path.find_last_of('\\', path.size() - 2) + 1);
    SetCurrentDirectoryA((src / "..").c_str());
    BackupFolders(base.Path(), {name + ",Rel,*.*,1", ",Empty,*.*,1"}, &log, false, nullptr);
    SetCurrentDirectoryA(cwd);
    EXPECT_EQ(log, (TStrings{kLogFolderHeader, Busy("Rel"), Busy("Empty"), ""}));
    EXPECT_TRUE(Tree(base.Path()).empty());
}
