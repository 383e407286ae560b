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

#include "ArchiveListing.h"
#include "TestSupport.h"

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

TEST_F(MakeArchiveTest, AFileTheArchiveCannotHoldMakesTheArchiveIncomplete) {
    ASSERT_TRUE(WriteFileBytes(base + "a.txt", "a"));
    // A name without an ANSI form: the library cannot be given it, so the archive lacks it.
    HANDLE h = CreateFileW((testing_support::Wide(base) + L"x\u0100y.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    TArchiveResult r = Make(0, false, &log);
    EXPECT_EQ(r.Outcome, TArchiveResult::arFailed);
    EXPECT_EQ(log.back(), "  --> 圧縮処理を中止しました。");
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
