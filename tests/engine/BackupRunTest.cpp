#include "BackupRun.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "TestSupport.h"
#include "TestTree.h"
#include "WineVolumes.h"

using namespace ostra;
using testing_support::MakeTree;
using testing_support::NamesOf;
using testing_support::TempDir;
using testing_support::TreeOf;
using testing_support::TTree;

namespace {

bool MarkerExists() {
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, kRunMarkerName);
    if (h) CloseHandle(h);
    return h != nullptr;
}

bool AnyArchiveIn(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*.lzh").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    return h != INVALID_HANDLE_VALUE;
}

class BackupRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(MakeTree(dir.Path(), {"base\\", "arc\\", "data\\memo.txt=memo", "data\\docs\\a.txt=a"}));
        in.Options.BaseDir = dir / "base";
        in.Options.ArcDir = dir / "arc";
        in.Files = TStrings{dir / "data\\memo.txt"};
        in.Folders = TStrings{dir / "data\\docs,Docs,*.*,0"};
        in.AppDir = dir / "program\\";
        in.ShowErrors = false;
        in.Options.DelConfirm = in.Options.DelShowDialog = false;
    }
    TempDir dir;
    TRunInput in;
};

// Lines as they arrive, with whether an archive existed already when each came.
struct TWatchingSink : TLogSink {
    explicit TWatchingSink(std::string arc) : Arc(std::move(arc)) {}
    void AddLine(const std::string& line) override {
        Lines.push_back(line);
        ArchiveThere.push_back(AnyArchiveIn(Arc));
    }
    std::string Arc;
    TStrings Lines;
    std::vector<bool> ArchiveThere;
};

}  // namespace

TEST_F(BackupRunTest, StepsRunInOrderUnderTheMarkerAndTheSinkHearsEachLineAsItIsWritten) {
    in.Options.Archive = true;
    TWatchingSink sink(dir / "arc\\");
    in.Log = &sink;
    std::vector<TRunStage> stages;
    bool markedDuringRun = false;
    in.OnStage = [&](TRunStage s) {
        stages.push_back(s);
        markedDuringRun = MarkerExists();
    };
    const TRunResult r = RunBackup(in);
    EXPECT_EQ(r.Outcome, TRunResult::roDone);
    EXPECT_EQ(r.ArchiveStep, TRunResult::asRan);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(stages, (std::vector<TRunStage>{TRunStage::rsCopiesDone, TRunStage::rsArchiveDone}));
    EXPECT_TRUE(markedDuringRun);
    EXPECT_FALSE(MarkerExists()) << "the marker outlived the run";
    EXPECT_EQ(TreeOf(dir / "base\\"),
              (TTree{"Docs\\", "Docs\\a.txt=a", "backup\\", "backup\\memo.txt=memo"}));

    // The archive step's first line came before the archive was there; its result line after.
    ASSERT_GE(sink.Lines.size(), 2u);
    const size_t start = sink.Lines.size() - 2;
    EXPECT_EQ(sink.Lines[start], "アーカイブファイルの作成開始...");
    EXPECT_FALSE(sink.ArchiveThere[start]);
    EXPECT_TRUE(sink.ArchiveThere[start + 1]);
    EXPECT_EQ(sink.Lines.front(), "[ファイルのバックアップ]");
}

TEST_F(BackupRunTest, AnArchiveDamagedBeforeItIsReadBackKeepsTheBaseFolderAndFailsTheRun) {
    // Data that does not pack smaller is stored: most of the archive is its bytes.
    std::string noise(20000, '\0');
    for (size_t i = 0, x = 12345; i < noise.size(); ++i)
        noise[i] = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "data\\docs\\noise.bin", noise));
    in.Options.Archive = in.Options.DeleteFiles = true;
    in.Options.DelUseRecycleBin = false;
    in.OnStage = [&](TRunStage s) {
        if (s != TRunStage::rsArchiveDone) return;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir / "arc\\*.lzh").c_str(), &fd);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        FindClose(h);
        const std::string path = dir / "arc\\" + fd.cFileName;
        std::string bytes = testing_support::ReadFileBytes(path);
        bytes[bytes.size() / 2] ^= 0x40;
        ASSERT_TRUE(testing_support::WriteFileBytes(path, bytes));
    };
    const TRunResult r = RunBackup(in);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.Emptying, TRunResult::emArchiveUnsound);
    EXPECT_EQ(r.Outcome, TRunResult::roArchiveFailed);
    EXPECT_EQ(TreeOf(dir / "base\\").size(), 5u) << "the copies are gone";

    // The same run with the archive left whole empties the base folder.
    in.OnStage = nullptr;
    const TRunResult whole = RunBackup(in);
    EXPECT_EQ(whole.Emptying, TRunResult::emDone);
    EXPECT_EQ(whole.Outcome, TRunResult::roDone);
    EXPECT_TRUE(TreeOf(dir / "base\\").empty());
}

TEST_F(BackupRunTest, AnAbsentListSkipsItsStepAndAnEmptyOneStillMakesItsFolder) {
    in.Files.reset();
    in.Folders.reset();
    in.Keys = TStrings{};
    TStrings log;
    in.Log = &log;
    RunBackup(in);
    EXPECT_EQ(TreeOf(dir / "base\\"), (TTree{"backreg\\"}));
    EXPECT_EQ(log, (TStrings{"[レジストリバックアップ]", ""}));
}

TEST_F(BackupRunTest, AnotherRunUnderWayTurnsThisOneAwayUntouched) {
    HANDLE other = CreateMutexA(nullptr, FALSE, kRunMarkerName);
    ASSERT_NE(other, nullptr);
    const TRunResult r = RunBackup(in);
    CloseHandle(other);
    EXPECT_EQ(r.Outcome, TRunResult::roAnotherRun);
    EXPECT_TRUE(TreeOf(dir / "base\\").empty());
}

TEST_F(BackupRunTest, AnErrorOfAStepEndsTheRunAndTheMarkerWithIt) {
    in.CheckStop = [](bool&) { throw std::runtime_error("step failed"); };
    EXPECT_THROW(RunBackup(in), std::runtime_error);
    EXPECT_FALSE(MarkerExists());
}

TEST_F(BackupRunTest, SubfolderNamesThatLeadOutOfTheBaseFolderFallBackToTheDefaults) {
    in.Keys = TStrings{};
    for (const auto& [fileDir, regDir] :
         {std::pair{"..\\out", "..\\regout"}, {"a\\b", "C:\\x"}, {"..", "."}}) {
        in.FileDir = fileDir;
        in.RegDir = regDir;
        RunBackup(in);
        EXPECT_EQ(TreeOf(dir.Path()),
                  (TTree{"arc\\", "base\\", "base\\Docs\\", "base\\Docs\\a.txt=a", "base\\backreg\\",
                         "base\\backup\\", "base\\backup\\memo.txt=memo", "data\\", "data\\docs\\",
                         "data\\docs\\a.txt=a", "data\\memo.txt=memo"}))
            << fileDir << " " << regDir;
    }
    // One plain name is taken; so is an empty one (the base folder itself).
    in.FileDir = "Files";
    in.RegDir = "";
    RunBackup(in);
    EXPECT_TRUE(testing_support::Exists(dir / "base\\Files\\memo.txt"));
}

TEST_F(BackupRunTest, WithTheArchiveOnItsFolderIsLeftOutOfTheFolderWalks) {
    ASSERT_TRUE(MakeTree(dir.Path(), {"data\\docs\\arc\\", "data\\docs\\arc\\2005_0302_0905.lzh=earlier"}));
    in.Options.Archive = true;
    in.Options.ArcDir = dir / "data\\docs\\arc";
    in.Folders = TStrings{dir / "data\\docs,Docs,*.*,1"};
    RunBackup(in);
    EXPECT_FALSE(testing_support::Exists(dir / "base\\Docs\\arc")) << "the archive folder was copied";
    EXPECT_TRUE(testing_support::Exists(dir / "base\\Docs\\a.txt"));
}

TEST_F(BackupRunTest, OriginalsReachedThroughAnotherSpellingAreNeverEmptied) {
    // Registered files that lie inside the base folder, named through a link and through a second
    // drive letter: text alone sees no base folder in their paths.
    ASSERT_TRUE(MakeTree(dir.Path(), {"base\\orig.txt=original", "base\\orig2.txt=second"}));
    testing_support::UnixFolderLink link(dir / "data\\", "tobase", "../base");
    ASSERT_TRUE(link.Made());
    in.Options.Archive = in.Options.DeleteFiles = true;
    in.Options.DelUseRecycleBin = false;
    in.Files = TStrings{dir / "data\\memo.txt", dir / "data\\tobase\\orig.txt"};
    TRunResult r = RunBackup(in);
    EXPECT_EQ(r.Emptying, TRunResult::emUnsafe);
    EXPECT_EQ(testing_support::ReadFileBytes(dir / "base\\orig.txt"), "original");

    testing_support::SecondDriveLetter drive(dir.Path());
    if (!drive.Made()) GTEST_SKIP() << "no second drive letter could be made (needs Wine's dosdevices)";
    in.Files = TStrings{dir / "data\\memo.txt", drive.Root() + "base\\orig2.txt"};
    r = RunBackup(in);
    EXPECT_EQ(r.Emptying, TRunResult::emUnsafe);
    EXPECT_EQ(testing_support::ReadFileBytes(dir / "base\\orig2.txt"), "second");
    // The archive folder inside the base folder, named through the other letter: no archive.
    ASSERT_TRUE(CreateDirectoryA((dir / "base\\arc").c_str(), nullptr));
    in.Options.ArcDir = drive.Root() + "base\\arc";
    r = RunBackup(in);
    EXPECT_EQ(r.ArchiveStep, TRunResult::asArchiveFolderInBase);
    EXPECT_TRUE(TreeOf(dir / "base\\arc\\").empty());
}

TEST_F(BackupRunTest, PathsWrittenWithForwardSlashesAreTakenAsWritten) {
    auto slashed = [](std::string s) {
        for (char& c : s)
            if (c == '\\') c = '/';
        return s;
    };
    in.Options.BaseDir = slashed(dir / "base");
    in.Options.ArcDir = slashed(dir / "arc/");
    in.Options.Archive = true;
    in.Files = TStrings{slashed(dir / "data\\memo.txt")};
    in.Folders = TStrings{slashed(dir / "data\\docs") + ",Docs,*.*,0"};
    const TRunResult r = RunBackup(in);
    EXPECT_EQ(r.Outcome, TRunResult::roDone);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(TreeOf(dir / "base\\"),
              (TTree{"Docs\\", "Docs\\a.txt=a", "backup\\", "backup\\memo.txt=memo"}));
    EXPECT_TRUE(WhatWasLeftOut(r).empty());
}

TEST_F(BackupRunTest, WhatFailedIsCountedPerStepAndKeepsTheBaseFolderWhenTheArchiveLacksIt) {
    in.Options.Archive = in.Options.DeleteFiles = true;
    in.Options.DelUseRecycleBin = false;
    // A copy the archive library cannot be given (its path is too long) keeps the base folder.
    std::string deep = dir / "base\\deep";
    while (deep.size() < 270) deep += "\\abcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(testing_support::MakeWideFolders(testing_support::LongWide(deep)));
    ASSERT_TRUE(testing_support::WriteWideFile(testing_support::LongWide(deep + "\\d.txt"), "d"));
    HANDLE held =
        CreateFileA((dir / "data\\docs\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const TRunResult r = RunBackup(in);
    CloseHandle(held);
    EXPECT_EQ(r.FileStep.Copied, 1u);
    EXPECT_TRUE(r.FileStep.Failed.empty());
    ASSERT_EQ(r.FolderStep.Failed.size(), 1u);
    EXPECT_EQ(r.FolderStep.Failed[0].Reason, TFailReason::frInUse);
    EXPECT_FALSE(r.RegistryStep.Ran);
    EXPECT_EQ(r.Archive.LeftOut.size(), 1u);
    EXPECT_EQ(r.Emptying, TRunResult::emArchiveIncomplete);
    EXPECT_EQ(testing_support::ReadWideFile(testing_support::LongWide(deep + "\\d.txt")), "d");
    EXPECT_EQ(WhatWasLeftOut(r),
              (TStrings{"フォルダのバックアップで 1 件を行えませんでした", "1 件を書庫に入れられませんでした",
                        "書庫に入れられなかったファイルがあるため、基準フォルダを空にしませんでした"}));
}

TEST(WhatWasLeftOut, EveryKindOfShortfallIsNamedAndNothingElse) {
    TRunResult r;
    EXPECT_TRUE(WhatWasLeftOut(r).empty()) << "an empty BaseDir asks for nothing";
    r.BaseDirGiven = true;
    EXPECT_EQ(WhatWasLeftOut(r).size(), 1u) << "a base folder that is not there";
    r.Outcome = TRunResult::roAnotherRun;
    EXPECT_EQ(WhatWasLeftOut(r).size(), 1u);
    r.Outcome = TRunResult::roDone;
    EXPECT_TRUE(WhatWasLeftOut(r).empty());
    // Nothing to pack, so nothing to empty: all that was asked.
    r.ArchiveStep = TRunResult::asRan;
    r.Archive.Outcome = TArchiveResult::arNothingToPack;
    r.Emptying = TRunResult::emNoArchive;
    EXPECT_TRUE(WhatWasLeftOut(r).empty());
    for (auto a : {TRunResult::asNoArchiveFolder, TRunResult::asArchiveFolderInBase}) {
        r.ArchiveStep = a;
        EXPECT_EQ(WhatWasLeftOut(r).size(), 1u) << a;
    }
    r.ArchiveStep = TRunResult::asRan;
    r.Archive.Outcome = TArchiveResult::arFailed;
    EXPECT_EQ(WhatWasLeftOut(r).size(), 1u);
    r.Archive.Outcome = TArchiveResult::arCreated;
    for (auto e : {TRunResult::emUnsafe, TRunResult::emArchiveUnsound, TRunResult::emArchiveIncomplete,
                   TRunResult::emLeftSome}) {
        r.Emptying = e;
        EXPECT_EQ(WhatWasLeftOut(r).size(), 1u) << e;
    }
    r.Emptying = TRunResult::emDone;
    r.Pruning = TRunResult::prArchiveUnsound;
    EXPECT_EQ(WhatWasLeftOut(r).size(), 1u);
    r.Pruning = TRunResult::prDone;
    r.ArchivesNotRemoved.push_back({"2005_0302_0905.lzh", TFailReason::frInUse});
    EXPECT_EQ(WhatWasLeftOut(r), TStrings{"古い書庫 1 個を削除できませんでした"});
    r.ArchivesNotRemoved.clear();
    r.RegistryStep.Fail("HKEY_CURRENT_USER\\Gone", TFailReason::frNotExported);
    EXPECT_EQ(WhatWasLeftOut(r), TStrings{"レジストリキー 1 個を書き出せませんでした"});
}

TEST_F(BackupRunTest, ABaseFolderThatCouldNotBeEmptiedIsSaid) {
    in.Options.Archive = in.Options.DeleteFiles = true;
    in.Options.DelUseRecycleBin = false;
    // Readable, so packed, but open without leave to delete (a viewer has it open).
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "base\\open.txt", "open"));
    HANDLE open = CreateFileA((dir / "base\\open.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    const TRunResult r = RunBackup(in);
    CloseHandle(open);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.Emptying, TRunResult::emLeftSome);
    EXPECT_EQ(WhatWasLeftOut(r), TStrings{"基準フォルダを空にしきれませんでした"});
    EXPECT_EQ(TreeOf(dir / "base\\"), TTree{"open.txt=open"});
}

namespace {

// Five earlier archives of both name forms, with file times in the opposite order of the dates in
// their names, beside files and a folder that are no archives of this program.
const TTree kArchiveFolder = {
    "2024_1231_2359.lzh=1",       "2025_0101_0000.lzh=2",           "2025年02月01日00時00分.lzh=3",
    "2025_0301_0000.lzh=4",       "2025年04月01日00時00分.lzh=5",   "notes.txt=notes",
    "2024_0101_0000.lzh.bak=bak", "2024_0230_0000.lzh=no such day", "2023_0101_0000.lzh\\inside.txt=in"};

class PruningRunTest : public BackupRunTest {
  protected:
    void SetUp() override {
        BackupRunTest::SetUp();
        ASSERT_TRUE(MakeTree(arc, kArchiveFolder));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(testing_support::SetLocalWriteTime(
                arc + kArchiveFolder[i].substr(0, kArchiveFolder[i].find('=')), 2026 - i, 1, 1, 0, 0, 0));
        in.Options.Archive = true;
        in.Options.KeepArchives = 3;
        in.Options.DelUseRecycleBin = false;
        in.Clock = [] {
            SYSTEMTIME t{};
            t.wYear = 2025;
            t.wMonth = 6;
            t.wDay = 1;
            t.wHour = 12;
            return t;
        };
        in.Log = &log;
    }
    // Nothing removed: the folder as it was, beside whatever holds the new archive's name.
    void ExpectNothingRemoved(const TRunResult& r) {
        EXPECT_TRUE(r.ArchivesRemoved.empty());
        TTree names = NamesOf(arc);
        names.erase(
            std::remove_if(names.begin(), names.end(),
                           [](const std::string& n) { return n.rfind("2025_0601_1200.lzh", 0) == 0; }),
            names.end());
        EXPECT_EQ(names.size(), kArchiveFolder.size()) << testing::PrintToString(names);
        for (const std::string& line : log) EXPECT_EQ(line.find("古い書庫"), std::string::npos) << line;
    }
    std::string arc = dir / "arc\\";
    TStrings log;
};

}  // namespace

TEST_F(PruningRunTest, TheNewestArchivesByTheDatesInTheirNamesStayAndNothingElseIsTouched) {
    const TRunResult r = RunBackup(in);
    EXPECT_EQ(r.Outcome, TRunResult::roDone);
    EXPECT_EQ(r.Pruning, TRunResult::prDone);
    // The new archive counts as one of the three.
    const TStrings removed = {"2024_1231_2359.lzh", "2025_0101_0000.lzh", "2025年02月01日00時00分.lzh"};
    EXPECT_EQ(r.ArchivesRemoved, removed);
    EXPECT_EQ(NamesOf(arc),
              (TTree{"2023_0101_0000.lzh\\", "2024_0101_0000.lzh.bak", "2024_0230_0000.lzh",
                     "2025_0301_0000.lzh", "2025_0601_1200.lzh", "2025年04月01日00時00分.lzh", "notes.txt"}));
    EXPECT_EQ(TreeOf(arc + "2023_0101_0000.lzh\\"), TTree{"inside.txt=in"});
    // Each removal is in the log, after the archive's line.
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(TStrings(log.end() - 3, log.end()),
              (TStrings{"  2024_1231_2359.lzh  →古い書庫を削除しました",
                        "  2025_0101_0000.lzh  →古い書庫を削除しました",
                        "  2025年02月01日00時00分.lzh  →古い書庫を削除しました"}));
    EXPECT_TRUE(WhatWasLeftOut(r).empty());

    // A clock set back names the new archive older than the rest: it stays all the same, with
    // the two newest others.
    in.Clock = [] {
        SYSTEMTIME t{};
        t.wYear = 2020;
        t.wMonth = 1;
        t.wDay = 1;
        return t;
    };
    const TRunResult back = RunBackup(in);
    EXPECT_EQ(back.ArchivesRemoved, TStrings{"2025_0301_0000.lzh"});
    EXPECT_TRUE(testing_support::Exists(arc + "2020_0101_0000.lzh"));
    EXPECT_TRUE(testing_support::Exists(arc + "2025_0601_1200.lzh"));
}

TEST_F(PruningRunTest, NothingIsRemovedWhenKeepArchivesIsZeroOrAnyStepFell) {
    in.Options.KeepArchives = 0;
    TRunResult r = RunBackup(in);
    EXPECT_EQ(r.Pruning, TRunResult::prNotAsked);
    ExpectNothingRemoved(r);
    ASSERT_TRUE(DeleteFileA((arc + "2025_0601_1200.lzh").c_str()));
    in.Options.KeepArchives = 1;

    // A copy that failed.
    HANDLE held =
        CreateFileA((dir / "data\\docs\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    r = RunBackup(in);
    CloseHandle(held);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.Pruning, TRunResult::prRunIncomplete);
    ExpectNothingRemoved(r);
    ASSERT_TRUE(DeleteFileA((arc + "2025_0601_1200.lzh").c_str()));

    // A run stopped during its copies, though its archive was made.
    in.CheckStop = [](bool& stop) { stop = true; };
    r = RunBackup(in);
    in.CheckStop = nullptr;
    EXPECT_TRUE(r.Stopped);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    ExpectNothingRemoved(r);
    ASSERT_TRUE(DeleteFileA((arc + "2025_0601_1200.lzh").c_str()));

    // An archive that could not be made: a folder holds its name.
    ASSERT_TRUE(CreateDirectoryA((arc + "2025_0601_1200.lzh").c_str(), nullptr));
    r = RunBackup(in);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arFailed);
    EXPECT_EQ(r.Pruning, TRunResult::prRunIncomplete);
    ExpectNothingRemoved(r);
    ASSERT_TRUE(RemoveDirectoryA((arc + "2025_0601_1200.lzh").c_str()));

    // An archive that was made but does not read back: the run failed.
    std::string noise(20000, '\0');
    for (size_t i = 0, x = 777; i < noise.size(); ++i)
        noise[i] = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    ASSERT_TRUE(testing_support::WriteFileBytes(dir / "data\\docs\\noise.bin", noise));
    in.OnStage = [&](TRunStage s) {
        if (s != TRunStage::rsArchiveDone) return;
        std::string bytes = testing_support::ReadFileBytes(arc + "2025_0601_1200.lzh");
        bytes[bytes.size() / 2] ^= 0x40;
        ASSERT_TRUE(testing_support::WriteFileBytes(arc + "2025_0601_1200.lzh", bytes));
    };
    r = RunBackup(in);
    EXPECT_EQ(r.Archive.Outcome, TArchiveResult::arCreated);
    EXPECT_EQ(r.Pruning, TRunResult::prArchiveUnsound);
    EXPECT_EQ(r.Outcome, TRunResult::roArchiveFailed);
    EXPECT_EQ(WhatWasLeftOut(r),
              TStrings{"作成した書庫を読み戻せなかったため、古い書庫を削除しませんでした"});
    ExpectNothingRemoved(r);
}
