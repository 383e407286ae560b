// The three backup lists on the main window: the pop-up menu of each list acting on that list,
// drops, the dialogs, the folder settings group, deleting, sorting, registry keys.
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
using testing_support::WriteFileBytes;

namespace {

enum { kDelete, kClear, kSort };

TEST_F(FormMainTest, ARightClickOnEachListOpensItsMenuAndTheCommandActsOnThatList) {
    auto form = Start();
    form->ListFiles.SetItems({"C:\\b.txt", "C:\\a.txt"});
    form->FolderEntries.Assign({"C:\\x,x,*.*,0", "C:\\y,y,*.*,0"});
    form->ListReg.SetItems({"HKEY_USERS\\B", "HKEY_USERS\\A"});
    form->ListFiles.SetSelected(0, true);
    EXPECT_EQ(ChooseFromMenuOf(form->ListFiles, kDelete),
              (std::vector<std::string>{"リストから削除(&D)", "リストをクリア(&C)", "ソート(&S)"}));
    {
        BoxWatchdog yes(IDYES);
        MenuWatchdog clear(kClear);
        RightClick(form->ListFol);
        clear.Stop();
        ASSERT_TRUE(yes.WaitForBoxes(1));
        EXPECT_EQ(yes.Boxes()[0].title, "");
        EXPECT_EQ(yes.Boxes()[0].text, "リストを全てクリアします\r\nいいですか？");
    }
    ChooseFromMenuOf(form->ListReg, kSort);
    const TTreeNode hkcr = form->RegView.FirstChild(form->RegView.TopNode());
    form->RegView.Select(hkcr);
    {
        MenuWatchdog get(0);
        RECT r{};
        TreeView_GetItemRect(form->RegView.Handle(), hkcr, &r, TRUE);
        testing_support::PressAt(form->RegView.Handle(), r.left + 5, (r.top + r.bottom) / 2, true);
        EXPECT_EQ(get.Items(), std::vector<std::string>{"登録(&E)"});
    }
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{"C:\\a.txt"}));
    EXPECT_EQ(form->ListReg.Items(), (TStrings{"HKEY_CLASSES_ROOT", "HKEY_USERS\\A", "HKEY_USERS\\B"}));
    EXPECT_EQ(form->ListFol.Count(), 0);
    ASSERT_TRUE(Close(*form));  // the cleared folder entries are saved as such
    EXPECT_EQ(testing_support::ReadFileBytes(prog + "backfol.ini"), "");
}

TEST_F(FormMainTest, DeleteRemovesTheSelectedRowsOnlyAndKeepsTheOthersInOrder) {
    auto form = Start();
    form->ListFiles.SetItems({"C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5"});
    for (int i : {0, 2, 3}) form->ListFiles.SetSelected(i, true);
    SendMessageA(form->ListFiles.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{"C:\\2", "C:\\5"}));
    // One row selected, the caret on another: the selected one goes, with its entry.
    form->FolderEntries.Assign({"C:\\x,x,*.*,0", "C:\\y,y,*.*,1", "C:\\z,z,*.*,0"});
    form->ListFol.SetSelected(2, true);
    SendMessageA(form->ListFol.Handle(), LB_SETCARETINDEX, 0, FALSE);
    SendMessageA(form->ListFol.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{"C:\\x,x,*.*,0", "C:\\y,y,*.*,1"}));
    EXPECT_EQ(form->ListFol.Items(), (TStrings{"C:\\x", "C:\\y"}));
}

TEST_F(FormMainTest, DroppedFoldersAndFilesAreAddedOnceAndTheLastDecidesThePage) {
    const std::string folder = dir / "Data", file = dir / "memo.txt", comma = dir / "a,b";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) && CreateDirectoryA(comma.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    auto form = Start();
    DropFiles(form->Handle(), {folder, file});
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabBackup);
    // The same paths in other letter case, and one that is not there: nothing is added.
    DropFiles(form->Handle(), {AnsiLowerCase(file), AnsiLowerCase(folder), dir / "gone.txt"});
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabFol);
    // A folder whose name holds a comma cannot be stored in backfol.ini: refused, with a box.
    BoxWatchdog ok(IDOK);
    DropFiles(form->Handle(), {comma});
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_NE(ok.Boxes()[0].text.find(comma), std::string::npos) << ok.Boxes()[0].text;
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{folder + ",Data,*.*,0"}));
    EXPECT_EQ(form->ListFol.Items(), (TStrings{folder}));
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{file}));
}

TEST_F(FormMainTest, AddingThroughTheDialogs) {
    auto form = Start();
    widgets::TOpenFileRequest asked;
    form->OpenFiles = [&](HWND, const widgets::TOpenFileRequest& r) {
        asked = r;
        return TStrings{"C:\\b.txt", "C:\\a.txt"};
    };
    std::string title;
    form->BrowseFolder = [&](HWND, const std::string& t, const std::string&) {
        title = t;
        return std::optional<std::string>("C:\\");
    };
    Command(*form, cmAddFile);
    EXPECT_EQ(asked.Filter, "すべてのファイル|*.*");
    EXPECT_TRUE(asked.MultiSelect);
    EXPECT_EQ(form->ListFiles.Items(), (TStrings{"C:\\b.txt", "C:\\a.txt"}));
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabBackup);
    Command(*form, cmAddFolder);
    EXPECT_EQ(title, "バックアップするフォルダの追加");
    EXPECT_EQ(form->FolderEntries.Lines(), (TStrings{"C:\\,,*.*,0"}));  // a drive root has no title
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabFol);
}

TEST_F(FormMainTest, TheFolderSettingsGroupShowsAndRewritesTheClickedEntry) {
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\data,*.txt,1\r\nC:\\mail,Mail,1,0\r\n"));
    auto form = Start();
    ClickRow(form->ListFol, 0);
    EXPECT_EQ(form->FolderEntries.Line(0), "C:\\data,data,*.txt,1");  // the older form, rewritten
    EXPECT_EQ(form->EditTitle.Text(), "data");
    EXPECT_TRUE(form->CheckSubFol.Checked());
    // Four fields stay four fields, a filter of "1" included; Enter in an edit updates.
    ClickRow(form->ListFol, 1);
    EXPECT_EQ(form->EditFilter.Text(), "1");
    form->EditFilter.SetText("*.eml;*.txt");
    SendMessageA(form->EditFilter.Handle(), WM_CHAR, '\r', 0);
    const TStrings updated = {"C:\\data,data,*.txt,1", "C:\\mail,Mail,*.eml;*.txt,0"};
    EXPECT_EQ(form->FolderEntries.Lines(), updated);
    // A comma would end the field: refused with a box, the entry stays.
    form->EditTitle.SetText("Mail,old");
    BoxWatchdog ok(IDOK);
    SendMessageA(form->tbFolUpdate.Handle(), BM_CLICK, 0, 0);
    ok.Stop();
    EXPECT_EQ(ok.Boxes().size(), 1u);
    // Two rows selected: the update does nothing.
    form->EditTitle.SetText("both");
    form->ListFol.SetSelected(0, true);
    Command(*form, cmFolUpdate);
    EXPECT_EQ(form->FolderEntries.Lines(), updated);
}

TEST_F(FormMainTest, AReflexEnterAtTheClearQuestionKeepsTheList) {
    auto form = Start();
    form->ListFiles.SetItems({"C:\\a.txt", "C:\\b.txt"});
    BoxWatchdog enter(testing_support::kEnterKey);
    ChooseFromMenuOf(form->ListFiles, kClear);
    ASSERT_TRUE(enter.WaitForBoxes(1));
    enter.Stop();
    EXPECT_EQ(enter.Boxes()[0].defaultButton, IDNO);
    EXPECT_EQ(form->ListFiles.Count(), 2);
}

TEST_F(FormMainTest, AFolderJustAddedIsSelectedSoThatATitleTypedNextIsItsOwn) {
    const std::string a = dir / "a", b = dir / "b";
    ASSERT_TRUE(CreateDirectoryA(a.c_str(), nullptr) && CreateDirectoryA(b.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\old,old,*.txt,1\r\n"));
    auto form = Start();
    ClickRow(form->ListFol, 0);
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) { return std::optional(a); };
    Command(*form, cmAddFolder);
    EXPECT_EQ(form->ListFol.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(form->EditTitle.Text(), "a");
    EXPECT_EQ(form->EditFilter.Text(), "*.*");
    EXPECT_FALSE(form->CheckSubFol.Checked());
    form->EditTitle.SetText("Mine");
    SendMessageA(form->EditTitle.Handle(), WM_CHAR, '\r', 0);
    // Dropped: the last folder of the drop likewise.
    DropFiles(form->Handle(), {b});
    EXPECT_EQ(form->ListFol.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(form->EditTitle.Text(), "b");
    EXPECT_EQ(form->FolderEntries.Lines(),
              (TStrings{"C:\\old,old,*.txt,1", a + ",Mine,*.*,0", b + ",b,*.*,0"}));
}

TEST_F(FormMainTest, TitlesThatARunWouldSkipAreRefusedWhenEntered) {
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", "C:\\mail,Mail,*.*,0\r\n"));
    auto form = Start();
    ClickRow(form->ListFol, 0);
    BoxWatchdog ok(IDOK);
    for (const char* title : {"a\\b", "a/b", "c:x", "..", ". .", "表\\"}) {
        form->EditTitle.SetText(title);
        Command(*form, cmFolUpdate);
    }
    form->EditTitle.SetText("ソ表");  // trail bytes of a backslash's value are no backslash
    Command(*form, cmFolUpdate);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 6u);
    for (const auto& box : ok.Boxes()) {
        EXPECT_FALSE(box.hasStopIcon);
        EXPECT_EQ(box.text.rfind("タイトルに「\\」「/」「:」を含む名前や「.」だけの名前は使えません", 0), 0u)
            << box.text;
    }
    EXPECT_EQ(form->FolderEntries.Lines(), TStrings{"C:\\mail,ソ表,*.*,0"});
}

TEST_F(FormMainTest, AfterASortAndLaterAdditionsEveryFolderRowShowsItsOwnSettings) {
    const std::string b = dir / "b", a = dir / "A b";
    ASSERT_TRUE(CreateDirectoryA(b.c_str(), nullptr) && CreateDirectoryA(a.c_str(), nullptr));
    ASSERT_TRUE(
        WriteFileBytes(prog + "backfol.ini", "D:\\zeta,Z,*.z,0\r\nD:\\Alpha,A,*.a,1\r\nD:\\mid,M,*.m,0\r\n"));
    auto form = Start();
    ChooseFromMenuOf(form->ListFol, kSort);
    EXPECT_EQ(form->ListFol.Items(), (TStrings{"D:\\Alpha", "D:\\mid", "D:\\zeta"}));
    DropFiles(form->Handle(), {b});
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) { return std::optional(a); };
    Command(*form, cmAddFolder);
    EXPECT_EQ(form->ListFol.Items(), (TStrings{a, b, "D:\\Alpha", "D:\\mid", "D:\\zeta"}));  // dir is on C:
    const std::map<std::string, std::string> titles = {
        {a, "A b"}, {b, "b"}, {"D:\\Alpha", "A"}, {"D:\\mid", "M"}, {"D:\\zeta", "Z"}};
    for (int row = 0; row < form->ListFol.Count(); ++row) {
        ClickRow(form->ListFol, row);
        EXPECT_EQ(form->EditTitle.Text(), titles.at(form->ListFol.Item(row))) << row;
    }
}

TEST_F(FormMainTest, ARegisteredKeyInOtherLetterCaseAndTheTopNodeAreRefused) {
    auto form = Start();
    form->ListReg.SetItems({"hkey_classes_root"});
    TRegistryTreeView& tree = form->RegView;
    BoxWatchdog ok(IDOK);
    tree.Select(tree.FirstChild(tree.TopNode()));
    Command(*form, cmRegGet);
    tree.Select(tree.TopNode());
    Command(*form, cmRegGet);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 2u);
    EXPECT_EQ(ok.Boxes()[0].text, "すでに登録済みです。");
    EXPECT_EQ(ok.Boxes()[1].text, "登録するレジストリキーを選択してください");
    EXPECT_EQ(form->ListReg.Items(), (TStrings{"hkey_classes_root"}));
}

TEST_F(FormMainTest, WithTheDetailWindowOpenAClickOnAMissingFileRemovesIt) {
    auto form = Start();
    form->ListFiles.SetItems({dir / "gone.txt"});
    BoxWatchdog ok(IDOK);
    ClickRow(form->ListFiles, 0);  // the detail window is closed: nothing happens
    EXPECT_EQ(form->ListFiles.Count(), 1);
    form->DetailVisible = true;
    ClickRow(form->ListFiles, 0);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, "このファイルは存在しないので削除します");
    EXPECT_EQ(form->ListFiles.Count(), 0);
}

}  // namespace
