// What the main window stores: the orders of the writes, the project-mode rule, the sizing rule
// and the error box text; no window needed.
#include <gtest/gtest.h>
#include <windows.h>

#include "AppTestSupport.h"
#include "MainLayout.h"
#include "MainSettings.h"
#include "MessageBoxes.h"
#include "TestSupport.h"

using namespace ostra;
using app_test::IniKeys;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

TRunOptions SomeOptions() {
    TRunOptions o;
    o.BaseDir = "C:\\base\\";
    o.ArcDir = "C:\\arc\\";
    o.Archive = true;
    o.Lha = 2;
    return o;
}

TEST(MainSettings, AFirstWriteListsTheKeysInTheirOrderAndWritesTheThreeLists) {
    TempDir dir;
    TMainLists lists{{"C:\\a.txt"}, {"C:\\Data,Data,*.*,0"}, {"HKEY_CURRENT_USER\\Software\\X"}};
    EXPECT_TRUE(SaveMainSettings(dir.Path(), TWindowState{}, nullptr, false, SomeOptions(), lists).empty());
    EXPECT_EQ(IniKeys(dir / "ostra.ini"), app_test::FirstCloseKeys());
    EXPECT_EQ(ReadFileBytes(dir / "backup.ini"), "C:\\a.txt\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "backfol.ini"), "C:\\Data,Data,*.*,0\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "backreg.ini"), "HKEY_CURRENT_USER\\Software\\X\r\n");
    // Read back: Lha is written as Lha and read as lha.
    TMainSettings back = LoadMainSettings(TSettingsFile(dir / "ostra.ini"));
    EXPECT_EQ(back.Options.Lha, 2);
    EXPECT_EQ(back.Options.BaseDir, "C:\\base\\");
    EXPECT_TRUE(back.Options.Archive);
}

TEST(MainSettings, KeepArchivesIsWrittenOnceSetAndFromThenOnAlsoAsZero) {
    TempDir dir;
    TRunOptions o = SomeOptions();
    o.KeepArchives = 3;
    EXPECT_TRUE(SaveMainSettings(dir.Path(), TWindowState{}, nullptr, false, o, {}).empty());
    std::vector<std::string> keys = app_test::FirstCloseKeys();
    keys.insert(keys.end() - 1, "Option.KeepArchives");
    EXPECT_EQ(IniKeys(dir / "ostra.ini"), keys);
    EXPECT_EQ(LoadMainSettings(TSettingsFile(dir / "ostra.ini")).Options.KeepArchives, 3);
    o.KeepArchives = 0;
    EXPECT_TRUE(SaveMainSettings(dir.Path(), TWindowState{}, nullptr, false, o, {}).empty());
    EXPECT_EQ(TSettingsFile(dir / "ostra.ini").ReadString("Option", "KeepArchives", ""), "0");
    ASSERT_TRUE(WriteFileBytes(dir / "ostra.ini", "[Option]\r\nKeepArchives=-2\r\n"));
    EXPECT_EQ(LoadMainSettings(TSettingsFile(dir / "ostra.ini")).Options.KeepArchives, 0);
}

TEST(MainSettings, TheOpenDetailWindowAddsItsGeometryAfterTheWindowState) {
    TempDir dir;
    TDetailGeometry g{300, 250, 100, 90};
    SaveMainSettings(dir.Path(), TWindowState{}, &g, true, SomeOptions(), {});
    EXPECT_EQ(IniKeys(dir / "ostra.ini"),
              (std::vector<std::string>{"Option.Top", "Option.Left", "Option.Width", "Option.Height",
                                        "Option.Index", "Option.DblClick", "Option.Archiver", "Key.Visible",
                                        "Key.Width", "Key.Height", "Key.Name", "Key.Data"}));
    EXPECT_EQ(LoadDetailGeometry(TSettingsFile(dir / "ostra.ini")).Name, 100);
}

TEST(MainSettings, ProjectModeLeavesTheBaseOptionsAndListsAsTheyWere) {
    TempDir dir;
    const std::string ini = "[Option]\r\nBaseDir=C:\\keep\\\r\nArchive=0\r\n";
    ASSERT_TRUE(WriteFileBytes(dir / "ostra.ini", ini));
    ASSERT_TRUE(WriteFileBytes(dir / "backup.ini", "C:\\keep.txt\r\n"));
    TWindowState w;
    w.Width = 500;
    w.Index = 1;
    w.Archiver = "C:\\lhaca.exe";
    w.DblClick = 2;
    EXPECT_TRUE(
        SaveMainSettings(dir.Path(), w, nullptr, true, SomeOptions(), {{"C:\\other.txt"}, {}, {}}).empty());
    TSettingsFile f(dir / "ostra.ini");
    EXPECT_EQ(f.ReadString("Option", "BaseDir", ""), "C:\\keep\\");
    EXPECT_FALSE(f.ReadBool("Option", "Archive", true));
    EXPECT_EQ(f.ReadInteger("Option", "Lha", -5), -5);
    EXPECT_EQ(f.ReadInteger("Option", "Width", 0), 500);
    EXPECT_EQ(f.ReadInteger("Option", "Index", 0), 1);
    EXPECT_EQ(f.ReadString("Option", "Archiver", ""), "C:\\lhaca.exe");
    EXPECT_EQ(f.ReadInteger("Option", "DblClick", 0), 2);
    EXPECT_EQ(ReadFileBytes(dir / "backup.ini"), "C:\\keep.txt\r\n");
    EXPECT_FALSE(testing_support::Exists(dir / "backfol.ini"));
}

TEST(MainSettings, AFailedSettingsWriteStillWritesEveryListAndReportsTheFile) {
    TempDir dir;
    // A folder in the settings file's place: no write to it can succeed.
    ASSERT_TRUE(CreateDirectoryA((dir / "ostra.ini").c_str(), nullptr));
    TMainLists lists{{"C:\\a.txt"}, {"C:\\Data,Data,*.*,0"}, {"HKEY_USERS\\x"}};
    auto errors = SaveMainSettings(dir.Path(), TWindowState{}, nullptr, false, SomeOptions(), lists);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], dir / "ostra.ini" + " に書き込めません");
    EXPECT_EQ(ReadFileBytes(dir / "backup.ini"), "C:\\a.txt\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "backfol.ini"), "C:\\Data,Data,*.*,0\r\n");
    EXPECT_EQ(ReadFileBytes(dir / "backreg.ini"), "HKEY_USERS\\x\r\n");
}

TEST(MainSettings, MissingFileGivesTheDefaultsAndMissingListsKeepWhatTheyHold) {
    TempDir dir;
    TMainSettings s = LoadMainSettings(TSettingsFile(dir / "ostra.ini"));
    EXPECT_EQ(s.Window.Width, 300);
    EXPECT_EQ(s.Window.Height, 350);
    EXPECT_EQ(s.Window.Index, 3);
    EXPECT_EQ(s.Window.Font, "MS UI Gothic");
    EXPECT_TRUE(s.Options.DelConfirm && s.Options.DelShowDialog && s.Options.DelUseRecycleBin);
    EXPECT_FALSE(s.Window.DetailVisible);
    TMainLists lists{{"kept"}, {}, {}};
    ASSERT_TRUE(WriteFileBytes(dir / "backreg.ini", "HKEY_USERS\r\n\r\nHKEY_CLASSES_ROOT\r\n"));
    LoadMainLists(dir.Path(), lists);
    EXPECT_EQ(lists.Files, (TStrings{"kept"}));
    EXPECT_EQ(lists.Registry, (TStrings{"HKEY_USERS", "", "HKEY_CLASSES_ROOT"}));
}

TEST(MainResizeRule, SmallestSizeAndTheRegistryTreesShareOfTheHeight) {
    auto s = MainResizeRule(300, 350);
    EXPECT_EQ(s.Width, 375);
    EXPECT_EQ(s.Height, 400);
    EXPECT_EQ(s.TreeHeight, 120);
    EXPECT_EQ(s.ColumnWidth, 345);
    EXPECT_EQ(MainResizeRule(375, 400).TreeHeight, 120);
    EXPECT_EQ(MainResizeRule(375, 401).TreeHeight, 120);  // half of 1 rounds to even 0
    EXPECT_EQ(MainResizeRule(375, 402).TreeHeight, 121);
    EXPECT_EQ(MainResizeRule(375, 403).TreeHeight, 122);  // 1.5 rounds to 2
    EXPECT_EQ(MainResizeRule(375, 405).TreeHeight, 122);  // 2.5 rounds to 2
    EXPECT_EQ(MainResizeRule(600, 700).TreeHeight, 270);
    EXPECT_EQ(MainResizeRule(600, 700).ColumnWidth, 570);
}

TEST(ErrorBoxText, AFullStopFollowsALastCharacterThatSortsAfterIt) {
    EXPECT_EQ(ErrorBoxText("\"基準(バックアップ先)フォルダ\"D:\\none\\\"が存在しません"),
              "\"基準(バックアップ先)フォルダ\"D:\\none\\\"が存在しません.");
    EXPECT_EQ(ErrorBoxText("C:\\Data\\"), "C:\\Data\\.");
    EXPECT_EQ(ErrorBoxText("done."), "done.");
    EXPECT_EQ(ErrorBoxText("what!"), "what!");  // "!" sorts before "."
    EXPECT_EQ(ErrorBoxText("a/"), "a/.");
    EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace
