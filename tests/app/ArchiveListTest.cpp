// The archive page on the main window: the list of the archive folder, its pop-up menu and double
// click, deleting, the archiver program, and restoring an archive a run made.
#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveList.h"
#include "ArchiveStep.h"
#include "FormMainFixture.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::BoxWatchdog;
using testing_support::Exists;
using testing_support::MenuWatchdog;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

enum { kAssociate, kArchiver, kExplor, kFolder, kExtract, kDeleteFile, kRefresh };

class ArchivePageTest : public FormMainTest {
  protected:
    void SetUp() override {
        FormMainTest::SetUp();
        ASSERT_TRUE(CreateDirectoryA(arc.c_str(), nullptr));
    }
    // The form on the archive page, filled from arc; its shell and program starts recorded.
    std::unique_ptr<TFormMain> StartOnArchives(const std::vector<std::string>& archives) {
        for (const auto& a : archives) EXPECT_TRUE(WriteFileBytes(arc + "\\" + a, "x"));
        EXPECT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=4\r\nArcDir=" + arc + "\r\n"));
        auto form = Start();
        form->ShellOpen = [this](HWND, const std::string& verb, const std::string& path) {
            calls.push_back(verb + " " + path);
        };
        form->StartProgram = [this](const std::string& line) { calls.push_back("start " + line); };
        return form;
    }
    // The middle of a row, or of the empty space below the rows for -1.
    static POINT RowPoint(TFormMain& form, int row) {
        RECT r{};
        if (row < 0) {
            ::GetClientRect(form.ListView.Handle(), &r);
            return {r.right / 2, r.bottom - 5};
        }
        ListView_GetItemRect(form.ListView.Handle(), row, &r, LVIR_BOUNDS);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    static void DoubleClick(TFormMain& form, int row) {
        const POINT p = RowPoint(form, row);
        ::SendMessageA(form.ListView.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::SendMessageA(form.ListView.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    static void RightClickRow(TFormMain& form, int row) {
        const POINT p = RowPoint(form, row);
        testing_support::PressAt(form.ListView.Handle(), p.x, p.y, true);
    }
    static void Select(TFormMain& form, std::initializer_list<int> rows) {
        for (int i = 0; i < form.ListView.Count(); ++i) form.ListView.SetSelected(i, false);
        for (int r : rows) form.ListView.SetSelected(r, true);
    }
    std::string arc = dir / "arc";
    std::vector<std::string> calls;
};

TEST_F(ArchivePageTest, TheMenuOnTheListOpensWithItsSevenCommands) {
    auto form = StartOnArchives({"a.lzh"});
    Select(*form, {0});
    MenuWatchdog refresh(kRefresh);
    RightClick(form->ListView);
    EXPECT_EQ(refresh.Items(),
              (std::vector<std::string>{"関連付けで開く(&S)", "アーカイバで開く(&A)", "エクスプローラ(&E)",
                                        "フォルダを開く(&F)", "展開...", "", "ファイルを削除(&D)",
                                        "リフレッシュ(&R)"}));
}

TEST_F(ArchivePageTest, OpenCommandsNeedOneRowAndUseTheListedFolder) {
    auto form = StartOnArchives({"b.lzh", "a.lzh"});
    ASSERT_EQ(form->ListView.Count(), 2);
    form->EditArchiver.SetText(dir / "tool.exe");
    Select(*form, {0, 1});
    Command(*form, cmAssociate);
    Command(*form, cmArchiver);
    EXPECT_TRUE(calls.empty());
    // The edit now names another folder: the rows still belong to the listed one.
    form->EditArcDir.SetText(dir / "elsewhere");
    Select(*form, {0});
    Command(*form, cmAssociate);
    Command(*form, cmArchiver);
    Command(*form, cmExplor);
    Command(*form, cmFolder);
    // The archiver's path is not a program that exists: its text is used as it stands.
    EXPECT_EQ(calls, (std::vector<std::string>{"open " + arc + "\\a.lzh",
                                               "start " + dir / "tool.exe" + " \"" + arc + "\\a.lzh\"",
                                               "explore " + arc + "\\", "open " + arc + "\\"}));
}

TEST_F(ArchivePageTest, ADoubleClickDoesWhatTheChoiceSays) {
    auto form = StartOnArchives({"a.lzh"});
    const struct {
        int choice;
        std::string call;
    } cases[] = {{0, "open " + arc + "\\a.lzh"}, {2, "explore " + arc + "\\"}, {3, "open " + arc + "\\"}};
    Select(*form, {0});
    for (const auto& c : cases) {
        calls.clear();
        form->RadioArcCtrl.SetItemIndex(c.choice);
        DoubleClick(*form, 0);
        EXPECT_EQ(calls, std::vector<std::string>{c.call}) << c.choice;
    }
    // "フォルダを開く" needs no row.
    calls.clear();
    Select(*form, {});
    DoubleClick(*form, -1);
    EXPECT_EQ(calls, std::vector<std::string>{"open " + arc + "\\"});
}

TEST_F(ArchivePageTest, DeletingRemovesTheSelectedArchivesOfTheListedFolderOnly) {
    auto form = StartOnArchives({"1.lzh", "2.lzh", "3.lzh"});
    const std::string other = dir / "other";
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(other + "\\1.lzh", "keep"));
    form->EditArcDir.SetText(other);  // typed, not listed
    Select(*form, {0, 2});
    {
        MenuWatchdog del(kDeleteFile);
        RightClickRow(*form, 2);  // on a selected row: the selection stays
    }
    EXPECT_FALSE(Exists(arc + "\\1.lzh"));
    EXPECT_TRUE(Exists(arc + "\\2.lzh"));
    EXPECT_FALSE(Exists(arc + "\\3.lzh"));
    EXPECT_EQ(ReadFileBytes(other + "\\1.lzh"), "keep");
    // The refresh lists the edit's folder now.
    ASSERT_EQ(form->ListView.Count(), 1);
    EXPECT_EQ(form->ListView.Caption(0), "1.lzh");
}

TEST_F(ArchivePageTest, TheDeleteKeyRemovesSelectedRowsNeverTheFocusedOne) {
    auto form = StartOnArchives({"1.lzh", "2.lzh", "3.lzh"});
    Select(*form, {0, 2});
    ListView_SetItemState(form->ListView.Handle(), 1, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageA(form->ListView.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_FALSE(Exists(arc + "\\1.lzh"));
    EXPECT_TRUE(Exists(arc + "\\2.lzh"));
    EXPECT_FALSE(Exists(arc + "\\3.lzh"));
    ASSERT_EQ(form->ListView.Count(), 1);
    EXPECT_EQ(form->ListView.Caption(0), "2.lzh");
    // The focused row alone, not selected: nothing goes.
    Select(*form, {});
    ListView_SetItemState(form->ListView.Handle(), 0, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageA(form->ListView.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_TRUE(Exists(arc + "\\2.lzh"));
}

TEST_F(ArchivePageTest, ListingLeavesOutHiddenFilesAndForgetsAFolderThatIsGone) {
    auto form = StartOnArchives({"b.lzh", "a.LZH", "hidden.lzh", "a.lzhx", "note.txt"});
    ASSERT_TRUE(SetFileAttributesA((arc + "\\hidden.lzh").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Command(*form, cmRefresh);
    ASSERT_EQ(form->ListView.Count(), 2);
    EXPECT_EQ(form->ListView.Caption(0), "a.LZH");
    EXPECT_EQ(form->ListView.Caption(1), "b.lzh");
    EXPECT_EQ(form->EditArcDir.Text(), arc + "\\");
    // A folder typed that does not exist keeps the rows of one that still does.
    form->EditArcDir.SetText(dir / "none");
    Command(*form, cmRefresh);
    EXPECT_EQ(form->ListView.Count(), 2);
    // The listed folder is gone as well: its rows go, so no command can reach a file through them.
    testing_support::RemoveTree(arc);
    Command(*form, cmRefresh);
    EXPECT_EQ(form->ListView.Count(), 0);
    Select(*form, {});
    Command(*form, cmFolder);
    EXPECT_EQ(calls, std::vector<std::string>{"open " + dir / "none\\"});
}

TEST_F(ArchivePageTest, TheArchiverEllipsisStartsInTheProgramsFolderAndTakesTheChoice) {
    auto form = StartOnArchives({});
    form->EditArchiver.SetText("C:\\tools\\lhaca.exe");
    widgets::TOpenFileRequest asked;
    TStrings answer = {"D:\\Lhaplus\\Lhaplus.exe"};
    form->OpenFiles = [&](HWND, const widgets::TOpenFileRequest& r) {
        asked = r;
        return answer;
    };
    SendMessageA(form->EditArchiver.ButtonHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(asked.Filter, "アプリケーション|*.exe");
    EXPECT_EQ(asked.InitialDir, "C:\\tools\\");
    EXPECT_FALSE(asked.MultiSelect);
    EXPECT_EQ(form->EditArchiver.Text(), "D:\\Lhaplus\\Lhaplus.exe");
    answer.clear();
    SendMessageA(form->EditArchiver.ButtonHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->EditArchiver.Text(), "D:\\Lhaplus\\Lhaplus.exe");
}

TEST(ArchiverCommandLine, QuotesTheArchiveAndAProgramPathThatIsOneWhole) {
    testing_support::TempDir dir;
    const std::string program = dir / "My Tools\\lha ca.exe";
    ASSERT_TRUE(CreateDirectoryA((dir / "My Tools").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(program, "MZ"));
    const std::string archive = "D:\\My Archives\\2005_0101_000.lzh";
    EXPECT_EQ(ArchiverCommandLine(program, archive), "\"" + program + "\" \"" + archive + "\"");
    // Its own quotes and arguments, or no such program: as it stands.
    EXPECT_EQ(ArchiverCommandLine("\"" + program + "\" /x", archive),
              "\"" + program + "\" /x \"" + archive + "\"");
    EXPECT_EQ(ArchiverCommandLine("lhaca.exe -e", archive), "lhaca.exe -e \"" + archive + "\"");
    EXPECT_EQ(ArchiverCommandLine("", archive), "");
    EXPECT_EQ(ArchiverCommandLine("  ", archive), "");
}

// What a run leaves in its base folder, Japanese names and a subfolder included.
void MakeBaseFolder(const std::string& base) {
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "\\backup").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "\\書類").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(base + "\\backup\\memo.txt", "memo\r\n"));
    ASSERT_TRUE(WriteFileBytes(base + "\\書類\\日本語の表.txt", std::string(70000, '\x81') + "表"));
    std::string bytes;
    for (int i = 0; i < 256 * 64; ++i) bytes += static_cast<char>(i * 7 % 251);
    ASSERT_TRUE(WriteFileBytes(base + "\\書類\\ソ表.bin", bytes));
}

TEST_F(ArchivePageTest, ARestoreGivesBackTheFilesOfTheRunIntoANewFolderAndNeverWritesIntoAnOldOne) {
    const std::string base = dir / "base";
    MakeBaseFolder(base);
    const TArchiveResult made = MakeArchive(base, arc, 0, false, false, nullptr);
    ASSERT_EQ(made.outcome, TArchiveResult::arCreated);
    auto form = StartOnArchives({});
    ASSERT_EQ(form->ListView.Count(), 1);
    const std::string name = form->ListView.Caption(0);
    const std::string target = dir / "restore";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    std::string browseTitle;
    form->BrowseFolder = [&](HWND, const std::string& title, const std::string&) {
        browseTitle = title;
        return std::optional(target);
    };
    Select(*form, {0});
    const std::string restored = target + "\\" + name.substr(0, name.size() - 4);
    {
        BoxWatchdog ok(IDOK);
        Command(*form, cmExtract);
        ok.Stop();
        ASSERT_EQ(ok.Boxes().size(), 1u);
        EXPECT_FALSE(ok.Boxes()[0].hasStopIcon) << ok.Boxes()[0].text;
        EXPECT_NE(ok.Boxes()[0].text.find(restored), std::string::npos) << ok.Boxes()[0].text;
    }
    EXPECT_EQ(browseTitle, "展開先フォルダの指定");
    for (const char* f : {"\\backup\\memo.txt", "\\書類\\日本語の表.txt", "\\書類\\ソ表.bin"})
        EXPECT_EQ(ReadFileBytes(restored + f), ReadFileBytes(base + f)) << f;
    // Again into the same place: refused, and what is there stays as it is.
    ASSERT_TRUE(WriteFileBytes(restored + "\\backup\\memo.txt", "edited"));
    {
        BoxWatchdog ok(IDOK);
        Command(*form, cmExtract);
        ok.Stop();
        ASSERT_EQ(ok.Boxes().size(), 1u);
        EXPECT_TRUE(ok.Boxes()[0].hasStopIcon);
        EXPECT_EQ(ok.Boxes()[0].text, "展開先のフォルダ\"" + restored + "\"がすでに存在します.");
    }
    EXPECT_EQ(ReadFileBytes(restored + "\\backup\\memo.txt"), "edited");
}

TEST_F(ArchivePageTest, ADamagedArchiveIsReportedAndLeavesNoFolderBehind) {
    auto form = StartOnArchives({"2005_0101_000.lzh"});  // four bytes, no archive
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) {
        return std::optional(dir.Path());
    };
    Select(*form, {0});
    BoxWatchdog ok(IDOK);
    Command(*form, cmExtract);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_TRUE(ok.Boxes()[0].hasStopIcon);
    EXPECT_EQ(ok.Boxes()[0].text.rfind("書庫\"" + arc + "\\2005_0101_000.lzh\"を展開できませんでした", 0), 0u)
        << ok.Boxes()[0].text;
    EXPECT_FALSE(Exists(dir / "2005_0101_000"));
    // Two rows selected: no restore is asked for.
    Select(*form, {});
    bool asked = false;
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) {
        asked = true;
        return std::optional<std::string>();
    };
    Command(*form, cmExtract);
    EXPECT_FALSE(asked);
}

}  // namespace
