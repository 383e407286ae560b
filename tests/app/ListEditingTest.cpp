// The three backup lists on the main window: adding by dialog, by drop and from the registry
// tree, the folder settings group, removing, clearing and sorting, and the pop-up menu of each
// list acting on that list.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>

#include "FormMainFixture.h"
#include "TextRoutines.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::BoxWatchdog;
using testing_support::DropFiles;
using testing_support::MenuWatchdog;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

const std::vector<std::string> kListMenu = {"リストから削除(&D)", "リストをクリア(&C)", "ソート(&S)"};
enum { kDelete, kClear, kSort };

TEST_F(FormMainTest, ARightClickOnEachListOpensItsMenuAndTheCommandActsOnThatList) {
    auto form = Start();
    form->ListFiles.SetItems({"C:\\b.txt", "C:\\a.txt"});
    form->FolderEntries.Assign({"C:\\x,x,*.*,0", "C:\\y,y,*.*,0"});
    form->ListReg.SetItems({"HKEY_USERS\\B", "HKEY_USERS\\A"});
    form->ListFiles.SetSelected(0, true);
    form->ListFol.SetSelected(0, true);
    form->ListReg.SetSelected(0, true);
    {
        MenuWatchdog del(kDelete);
        RightClick(form->ListFol);
        EXPECT_EQ(del.Items(), kListMenu);
    }
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{"C:\\y,y,*.*,0"}));
    EXPECT_EQ(form->ListFol.Items(), (TStrings{"C:\\y"}));
    {
        MenuWatchdog sort(kSort);
        RightClick(form->ListFiles);
        EXPECT_EQ(sort.Items(), kListMenu);
    }
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{"C:\\a.txt", "C:\\b.txt"}));
    {
        BoxWatchdog yes(IDYES);
        MenuWatchdog clear(kClear);
        RightClick(form->ListReg);
        EXPECT_EQ(clear.Items(), kListMenu);
        yes.Stop();
        ASSERT_EQ(yes.Boxes().size(), 1u);
        EXPECT_EQ(yes.Boxes()[0].title, "");
        EXPECT_EQ(yes.Boxes()[0].text, "リストを全てクリアします\r\nいいですか？");
    }
    EXPECT_EQ(form->ListReg.Count(), 0);
    // The registry tree has a menu of its own.
    const TTreeNode hkcr = form->RegView.FirstChild(form->RegView.TopNode());
    form->RegView.Select(hkcr);
    {
        MenuWatchdog get(0);
        RECT r{};
        TreeView_GetItemRect(form->RegView.Handle(), hkcr, &r, TRUE);
        testing_support::PressAt(form->RegView.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2,
                                 true);
        EXPECT_EQ(get.Items(), std::vector<std::string>{"登録(&E)"});
    }
    EXPECT_EQ(form->ListReg.Items(), (TStrings{"HKEY_CLASSES_ROOT"}));
    // Each command reached its own list only.
    EXPECT_EQ(form->ListFiles.Count(), 2);
    EXPECT_EQ(form->FolderEntries.Count(), 1);
}

TEST_F(FormMainTest, ClearingAsksFirstAndEmptiesTheFolderEntriesWithTheList) {
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\x,x,*.*,0\r\nC:\\y,y,*.*,0\r\n"));
    auto form = Start();
    {
        BoxWatchdog no(IDNO);
        MenuWatchdog clear(kClear);
        RightClick(form->ListFol);
        clear.Stop();
        EXPECT_TRUE(no.WaitForBoxes(1));
    }
    EXPECT_EQ(form->FolderEntries.Count(), 2);
    {
        BoxWatchdog yes(IDYES);
        MenuWatchdog clear(kClear);
        RightClick(form->ListFol);
    }
    EXPECT_EQ(form->ListFol.Count(), 0);
    EXPECT_EQ(form->FolderEntries.Count(), 0);
    ASSERT_TRUE(Close(*form));
    EXPECT_EQ(ReadFileBytes(prog + "backfol.ini"), "");
}

TEST_F(FormMainTest, DeleteRemovesTheSelectedRowsOnlyAndKeepsTheOthersInOrder) {
    auto form = Start();
    form->ListFiles.SetItems({"C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5"});
    for (int i : {0, 2, 3}) form->ListFiles.SetSelected(i, true);
    WORD del = VK_DELETE;
    SendMessageA(form->ListFiles.Handle(), WM_KEYDOWN, del, 0);
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{"C:\\2", "C:\\5"}));
    // One row selected, the caret on another: the selected one goes.
    form->FolderEntries.Assign({"C:\\x,x,*.*,0", "C:\\y,y,*.*,1", "C:\\z,z,*.*,0"});
    form->ListFol.SetSelected(2, true);
    SendMessageA(form->ListFol.Handle(), LB_SETCARETINDEX, 0, FALSE);
    SendMessageA(form->ListFol.Handle(), WM_KEYDOWN, del, 0);
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{"C:\\x,x,*.*,0", "C:\\y,y,*.*,1"}));
    EXPECT_EQ(form->ListFol.Items(), (TStrings{"C:\\x", "C:\\y"}));
    // Nothing selected: nothing goes.
    SendMessageA(form->ListFol.Handle(), WM_KEYDOWN, del, 0);
    EXPECT_EQ(form->FolderEntries.Count(), 2);
}

TEST_F(FormMainTest, DroppedFoldersAndFilesAreAddedOnceAndTheLastDecidesThePage) {
    const std::string folder = dir / "Data", file = dir / "memo.txt", other = dir / "a,b";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    auto form = Start();
    DropFiles(form->Handle(), {folder, file});
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabBackup);
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{folder + ",Data,*.*,0"}));
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{file}));
    // The same paths in other letter case, and one that is not there: nothing is added.
    DropFiles(form->Handle(), {AnsiLowerCase(file), AnsiLowerCase(folder), dir / "gone.txt"});
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabFol);
    EXPECT_EQ(form->FolderEntries.Count(), 1);
    EXPECT_EQ(form->ListFiles.Count(), 1);
    // A folder whose name holds a comma cannot be stored in backfol.ini: refused, with a box.
    BoxWatchdog ok(IDOK);
    DropFiles(form->Handle(), {other});
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].title, "Pelmira");
    EXPECT_NE(ok.Boxes()[0].text.find(other), std::string::npos) << ok.Boxes()[0].text;
    EXPECT_EQ(form->FolderEntries.Count(), 1);
    EXPECT_EQ(form->ListFol.Count(), 1);
}

TEST_F(FormMainTest, AddingFilesAndFoldersThroughTheDialogs) {
    auto form = Start();
    widgets::TOpenFileRequest asked;
    TStrings files = {"C:\\b.txt", "C:\\a.txt"};
    form->OpenFiles = [&](HWND, const widgets::TOpenFileRequest& r) {
        asked = r;
        return files;
    };
    std::optional<std::string> folder = "C:\\";
    std::string title;
    form->BrowseFolder = [&](HWND, const std::string& t, const std::string&) {
        title = t;
        return folder;
    };
    Command(*form, cmAddFile);
    EXPECT_EQ(asked.Filter, "すべてのファイル|*.*");
    EXPECT_TRUE(asked.MultiSelect);
    EXPECT_EQ(form->ListFiles.Items(), files);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabBackup);
    Command(*form, cmAddFolder);
    EXPECT_EQ(title, "バックアップするフォルダの追加");
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{"C:\\,,*.*,0"}));  // a drive root has no title
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabFol);
    // Cancelled: nothing added, the page still changes.
    files.clear();
    folder.reset();
    Command(*form, cmAddFile);
    EXPECT_EQ(form->ListFiles.Count(), 2);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabBackup);
    Command(*form, cmAddFolder);
    EXPECT_EQ(form->FolderEntries.Count(), 1);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabFol);
}

TEST_F(FormMainTest, TheFolderSettingsGroupShowsAndRewritesTheClickedEntry) {
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\data,*.txt,1\r\nC:\\mail,Mail,1,0\r\n"));
    auto form = Start();
    form->Pages.SetActivePageIndex(TabFol);
    ClickRow(form->ListFol, 0);
    EXPECT_EQ(form->FolderEntries.Line(0), "C:\\data,data,*.txt,1");  // the older form, rewritten
    EXPECT_EQ(form->EditTitle.Text(), "data");
    EXPECT_EQ(form->EditFilter.Text(), "*.txt");
    EXPECT_TRUE(form->CheckSubFol.Checked());
    // Four fields stay four fields, a filter of "1" included.
    ClickRow(form->ListFol, 1);
    EXPECT_EQ(form->FolderEntries.Line(1), "C:\\mail,Mail,1,0");
    EXPECT_EQ(form->EditFilter.Text(), "1");
    EXPECT_FALSE(form->CheckSubFol.Checked());
    // Enter in an edit updates the entry.
    form->EditFilter.SetText("*.eml;*.txt");
    SendMessageA(form->EditFilter.Handle(), WM_CHAR, '\r', 0);
    EXPECT_EQ(form->FolderEntries.Line(1), "C:\\mail,Mail,*.eml;*.txt,0");
    // A comma would end the field: refused with a box, the entry stays.
    form->EditTitle.SetText("Mail,old");
    BoxWatchdog ok(IDOK);
    SendMessageA(form->tbFolUpdate.Handle(), BM_CLICK, 0, 0);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_NE(ok.Boxes()[0].text.find("「,」"), std::string::npos) << ok.Boxes()[0].text;
    EXPECT_EQ(form->FolderEntries.Line(1), "C:\\mail,Mail,*.eml;*.txt,0");
    // Two rows selected: the update does nothing.
    form->EditTitle.SetText("both");
    form->ListFol.SetSelected(0, true);
    Command(*form, cmFolUpdate);
    EXPECT_EQ(form->FolderEntries.Lines(),
              (TStrings{"C:\\data,data,*.txt,1", "C:\\mail,Mail,*.eml;*.txt,0"}));
}

TEST_F(FormMainTest, AfterASortAndLaterAdditionsEveryFolderRowShowsItsOwnSettings) {
    const std::string b = dir / "b", a = dir / "A b";
    ASSERT_TRUE(CreateDirectoryA(b.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(a.c_str(), nullptr));
    ASSERT_TRUE(
        WriteFileBytes(prog + "backfol.ini", "D:\\zeta,Z,*.z,0\r\nD:\\Alpha,A,*.a,1\r\nD:\\mid,M,*.m,0\r\n"));
    auto form = Start();
    form->Pages.SetActivePageIndex(TabFol);
    form->ListFol.SetSelected(0, true);
    {
        MenuWatchdog sort(kSort);
        RightClick(form->ListFol);
    }
    EXPECT_EQ(form->ListFol.Items(), (TStrings{"D:\\Alpha", "D:\\mid", "D:\\zeta"}));
    DropFiles(form->Handle(), {b});
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) { return std::optional(a); };
    Command(*form, cmAddFolder);
    ASSERT_EQ(form->ListFol.Count(), 5);
    EXPECT_EQ(form->ListFol.Item(0), a);  // dir is C:\..., before D:
    EXPECT_EQ(form->ListFol.Item(1), b);
    const std::map<std::string, std::string> titles = {
        {a, "A b"}, {b, "b"}, {"D:\\Alpha", "A"}, {"D:\\mid", "M"}, {"D:\\zeta", "Z"}};
    for (int row = 0; row < form->ListFol.Count(); ++row) {
        const std::string path = form->ListFol.Item(row);
        SCOPED_TRACE(path);
        ClickRow(form->ListFol, row);
        EXPECT_EQ(form->FolderEntries.Path(row), path);
        EXPECT_EQ(form->EditTitle.Text(), titles.at(path));
    }
}

TEST_F(FormMainTest, RegistryKeysAreRegisteredOnceAndTheTopNodeRegistersNothing) {
    auto form = Start();
    TRegistryTreeView& tree = form->RegView;
    TTreeNode top = tree.TopNode();
    TTreeNode hkcu = tree.NextSibling(tree.FirstChild(top));
    ASSERT_EQ(tree.NodeText(hkcu), "HKEY_CURRENT_USER");
    tree.Select(hkcu);
    EXPECT_EQ(form->SelectedKey, "HKEY_CURRENT_USER");
    Command(*form, cmRegGet);
    EXPECT_EQ(form->ListReg.Items(), (TStrings{"HKEY_CURRENT_USER"}));
    form->ListReg.SetItems({"hkey_current_user"});
    {
        BoxWatchdog ok(IDOK);
        Command(*form, cmRegGet);
        ok.Stop();
        ASSERT_EQ(ok.Boxes().size(), 1u);
        EXPECT_EQ(ok.Boxes()[0].text, "すでに登録済みです。");
    }
    tree.Select(top);
    EXPECT_EQ(form->SelectedKey, "");
    {
        BoxWatchdog ok(IDOK);
        Command(*form, cmRegGet);
        ok.Stop();
        EXPECT_EQ(ok.Boxes().size(), 1u);
    }
    EXPECT_EQ(form->ListReg.Items(), (TStrings{"hkey_current_user"}));
}

TEST_F(FormMainTest, WithTheDetailWindowOpenAClickOnAMissingFileRemovesIt) {
    const std::string there = dir / "there.txt";
    ASSERT_TRUE(WriteFileBytes(there, "x"));
    auto form = Start();
    form->ListFiles.SetItems({there, dir / "gone.txt"});
    form->Pages.SetActivePageIndex(TabBackup);
    ClickRow(form->ListFiles, 1);  // the detail window is closed: nothing happens
    EXPECT_EQ(form->ListFiles.Count(), 2);
    form->DetailVisible = true;
    ClickRow(form->ListFiles, 0);
    EXPECT_EQ(form->ListFiles.Count(), 2);
    BoxWatchdog ok(IDOK);
    ClickRow(form->ListFiles, 1);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, "このファイルは存在しないので削除します");
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{there}));
}

}  // namespace
