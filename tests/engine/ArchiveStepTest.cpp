#include "ArchiveStep.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace ostra;

TEST(ArchiveStep, ShortAndLongArchiveNames) {
    SYSTEMTIME t{};
    t.wYear = 2005;
    t.wMonth = 3;
    t.wDay = 2;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 59;
    EXPECT_EQ(ArchiveName(t, false), "2005_0302_0905.lzh");
    EXPECT_EQ(ArchiveName(t, true), "2005年03月02日09時05分.lzh");
    t.wHour = 23;
    t.wMinute = 0;
    EXPECT_EQ(ArchiveName(t, false), "2005_0302_2300.lzh");
}

#include <algorithm>

#include "ArchiveListing.h"
#include "TestSupport.h"
#include "TestTree.h"

using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {
// 9:05 on 2 March 2005, whenever the test runs.
SYSTEMTIME FixedTime() {
    SYSTEMTIME t{};
    t.wYear = 2005;
    t.wMonth = 3;
    t.wDay = 2;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 30;
    return t;
}

class MakeArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA(base.c_str(), nullptr);
        CreateDirectoryA(arc.c_str(), nullptr);
    }
    TArchiveResult Make(int method, bool longNaming, TLog toLog) {
        return MakeArchive(base, arc, method, longNaming, false, toLog, FixedTime);
    }
    TempDir dir;
    std::string base = dir / "base\\", arc = dir / "arc\\";
    TStrings log;
};
}  // namespace

TEST_F(MakeArchiveTest, PacksEveryFileAndLogsTheCreatedArchive) {
    CreateDirectoryA((base + "sub").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", std::string(5000, 'a')));
    ASSERT_TRUE(WriteFileBytes(base + "sub\\b.txt", "b"));
    ASSERT_TRUE(WriteFileBytes(base + "sub\\hidden.txt", "h"));
    SetFileAttributesA((base + "sub\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    TArchiveResult r = Make(5, false, &log);
    ASSERT_EQ(r.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.PackedFiles, 3u);
    EXPECT_EQ(r.ArchivePath, arc + "2005_0302_0905.lzh");
    ASSERT_TRUE(Exists(r.ArchivePath));
    EXPECT_EQ(log,
              (TStrings{"アーカイブファイルの作成開始...", "  --> 2005_0302_0905.lzh を作成しました。"}));

    // A second run in the same minute updates the archive and is reported as created again.
    ASSERT_TRUE(WriteFileBytes(base + "c.txt", "c"));
    log.clear();
    r = Make(0, false, &log);
    EXPECT_EQ(r.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.ArchivePath, arc + "2005_0302_0905.lzh");
    EXPECT_EQ(log.back(), "  --> 2005_0302_0905.lzh を作成しました。");
    EXPECT_EQ(testing_support::ArchiveListing(r.ArchivePath).size(), 4u);

    EXPECT_EQ(Make(0, true, nullptr).ArchivePath, arc + "2005年03月02日09時05分.lzh");
}

TEST_F(MakeArchiveTest, OnlyEmptySubfoldersMakeNoArchiveAndNoClosingLine) {
    CreateDirectoryA((base + "empty").c_str(), nullptr);
    TArchiveResult r = Make(0, true, &log);
    EXPECT_EQ(r.Outcome, TArchiveResult::arNothingToPack);
    EXPECT_EQ(log, TStrings{"アーカイブファイルの作成開始..."});
    WIN32_FIND_DATAA fd;
    EXPECT_EQ(FindFirstFileA((arc + "*.lzh").c_str(), &fd), INVALID_HANDLE_VALUE);
}

TEST_F(MakeArchiveTest, MissingFolderDoesNothingAtAll) {
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "a"));
    EXPECT_EQ(MakeArchive(base, dir / "none\\", 0, false, false, &log).Outcome, TArchiveResult::arSkipped);
    EXPECT_TRUE(log.empty());
}

TEST_F(MakeArchiveTest, ArchiveThatCannotBeWrittenIsReportedAsStopped) {
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "a"));
    // A folder holds the archive's name: no archive can be written there.
    ASSERT_TRUE(CreateDirectoryA((arc + "2005_0302_0905.lzh").c_str(), nullptr));
    TArchiveResult r = Make(0, false, &log);
    EXPECT_EQ(r.Outcome, TArchiveResult::arFailed);
    EXPECT_EQ(log.back(), "  --> 圧縮処理を中止しました。");
    EXPECT_TRUE(Exists(base + "a.txt"));
}

TEST_F(MakeArchiveTest, FilesTheLibraryCannotBeGivenAreLeftOutAndReported) {
    using testing_support::LongWide;
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "a"));
    // A name without an ANSI form, one ending in a blank, and a path longer than MAX_PATH.
    ASSERT_TRUE(testing_support::WriteWideFile(LongWide(base, L"x\u0100y.txt"), "x"));
    ASSERT_TRUE(testing_support::WriteWideFile(LongWide(base, L"b.txt "), "b"));
    std::string deep = base + "deep";
    while (deep.size() < 270) deep += "\\abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(testing_support::MakeWideFolders(LongWide(deep)));
    ASSERT_TRUE(testing_support::WriteWideFile(LongWide(deep + "\\d.txt"), "d"));
    TArchiveResult r = Make(0, false, &log);
    EXPECT_EQ(r.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(testing_support::ArchiveListing(r.ArchivePath).size(), 1u);
    std::vector<std::pair<std::string, TFailReason>> leftOut;
    for (const TFailedItem& f : r.LeftOut) leftOut.emplace_back(f.Item, f.Reason);
    std::sort(leftOut.begin(), leftOut.end());
    EXPECT_EQ(leftOut, (std::vector<std::pair<std::string, TFailReason>>{
                           {base + "b.txt ", TFailReason::frTrailingDotOrBlank},
                           {deep + "\\d.txt", TFailReason::frPathTooLong},
                           {base + "x?y.txt", TFailReason::frNoAnsiName}}));
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) {
                                return l.find("  →書庫に入れられません（") != std::string::npos;
                            }),
              3);
    EXPECT_EQ(log.back(), "  --> 2005_0302_0905.lzh を作成しました。");
}

TEST_F(MakeArchiveTest, LeftoversOfEndedRunsGoAndAreNeverPacked) {
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "a"));
    // A copy cut short under its temporary name, and two temporary files of an ended pack, one of
    // them still open (a pack under way elsewhere); files of other names stay.
    ASSERT_TRUE(WriteFileBytes(base + "b.txt.~pelmira-copy", "cut"));
    for (const char* name : {"ulh1A2B.tmp", "ulhf.tmp", "ulhzz.tmp", "other.tmp"})
        ASSERT_TRUE(WriteFileBytes(arc + name, "part"));
    HANDLE open = CreateFileA((arc + "ulhf.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    TArchiveResult r = Make(0, false, &log);
    CloseHandle(open);
    EXPECT_EQ(r.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.PackLeftoversRemoved, 1u);
    EXPECT_EQ(r.CutCopiesRemoved, 1u);
    EXPECT_EQ(testing_support::ArchiveListing(r.ArchivePath).size(), 1u);
    EXPECT_FALSE(Exists(arc + "ulh1A2B.tmp"));
    for (const char* stays : {"ulhf.tmp", "ulhzz.tmp", "other.tmp"})
        EXPECT_TRUE(Exists(arc + stays)) << stays;
    EXPECT_EQ(testing_support::TreeOf(base), (testing_support::TTree{"a.txt=a"}));
    EXPECT_TRUE(IsPackLeftoverName("ULH0.TMP"));
    EXPECT_FALSE(IsPackLeftoverName("ulh12345.tmp"));
}

TEST_F(MakeArchiveTest, AFailedUpdateOfTheArchiveOfTheSameMinuteIsNoArchive) {
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "a"));
    ASSERT_EQ(Make(0, false, nullptr).Outcome, TArchiveResult::arCreated);
    const std::string before = testing_support::ReadFileBytes(arc + "2005_0302_0905.lzh");
    // The next run in the same minute cannot read a.txt: the update fails, the archive stays.
    HANDLE h = CreateFileA((base + "a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    TArchiveResult r = Make(0, false, &log);
    CloseHandle(h);
    EXPECT_EQ(r.Outcome, TArchiveResult::arFailed);
    EXPECT_EQ(log.back(), "  --> 圧縮処理を中止しました。");
    EXPECT_EQ(testing_support::ReadFileBytes(arc + "2005_0302_0905.lzh"), before);
}
