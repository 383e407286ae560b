// The control wrappers raise their events from real notifications, and the window base class
// turns an error of a handler into a report instead of letting it cross into the system.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "EllipsisEdit.h"
#include "ListBox.h"
#include "ListView.h"
#include "VirtualListView.h"
#include "Memo.h"
#include "PageControl.h"
#include "RadioGroup.h"
#include "TestHostWindow.h"
#include "ToolBar.h"
#include "WindowTestSupport.h"

using namespace widgets;
using testing_support::ClickAt;
using testing_support::TestHostWindow;

namespace {

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(host.Create(500, 300)); }
    TestHostWindow host;
};

TEST_F(ControlsTest, EllipsisButtonRaisesItsEventAndLeavesTheText) {
    TEllipsisEdit edit;
    ASSERT_TRUE(edit.Create(host.Handle(), "C:\\Data"));
    edit.SetBounds(10, 10, 200, 21);
    int clicks = 0, changes = 0;
    edit.OnEllipsisClick = [&] { ++clicks; };
    edit.OnChange = [&] { ++changes; };
    ::SendMessageA(edit.ButtonHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(edit.Text(), "C:\\Data");
    edit.SetText("D:\\");
    EXPECT_EQ(changes, 1);
    // The button sits at the right end, inside the given width.
    RECT b{};
    ::GetWindowRect(edit.ButtonHandle(), &b);
    ::MapWindowPoints(HWND_DESKTOP, host.Handle(), reinterpret_cast<POINT*>(&b), 2);
    EXPECT_EQ(b.right, 210);
    EXPECT_LE(edit.Bounds().right, b.left);
}

TEST_F(ControlsTest, ToolBarTogglesStayDownAndButtonsCarryCaptionsWidthsAndHints) {
    THints hints;
    ASSERT_TRUE(hints.Create(host.Handle()));
    TToolBar bar;
    ASSERT_TRUE(bar.Create(host.Handle(), hints, "GLYPHS"));
    bar.SetBounds(0, 0, 500, bar.RowHeight());
    bar.Add({1, 0, "バックアップ", "バックアップ開始"});
    bar.Add({0, -1, "", "", TToolKind::Separator});
    bar.Add({2, 2, "", "詳細表示ウィンドウを開く", TToolKind::Toggle});
    bar.Add({3, 4, "", "中止|", TToolKind::Button, 23});
    std::vector<int> clicked;
    bar.OnClick = [&](int id) { clicked.push_back(id); };

    EXPECT_EQ(bar.ButtonCaption(1), "バックアップ");
    EXPECT_EQ(bar.ButtonWidth(3), 23);
    EXPECT_EQ(hints.ShownText(bar.Handle(), 3), "中止");
    EXPECT_EQ(hints.ShownText(bar.Handle(), 2), "詳細表示ウィンドウを開く");

    RECT r = bar.ButtonRect(2);
    ClickAt(bar.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_TRUE(bar.Down(2));
    ClickAt(bar.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_FALSE(bar.Down(2));
    EXPECT_EQ(clicked, (std::vector<int>{2, 2}));

    // A disabled button raises nothing; the stop button's running look: wider, with a caption.
    bar.SetButtonEnabled(3, false);
    r = bar.ButtonRect(3);
    ClickAt(bar.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(clicked.size(), 2u);
    bar.SetButtonEnabled(3, true);
    bar.SetButtonCaption(3, "バックアップ中止");
    bar.SetButtonWidth(3, 120);
    EXPECT_EQ(bar.ButtonWidth(3), 120);
    EXPECT_EQ(bar.ButtonCaption(3), "バックアップ中止");
    r = bar.ButtonRect(3);
    ClickAt(bar.Handle(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_EQ(clicked, (std::vector<int>{2, 2, 3}));
}

TEST_F(ControlsTest, PageControlReportsAUsersChangeButNotTheProgramsOwn) {
    TPageControl pages;
    ASSERT_TRUE(pages.Create(host.Handle()));
    pages.SetBounds(0, 0, 400, 250);
    pages.AddPage("一");
    pages.AddPage("二");
    int changes = 0;
    pages.OnChange = [&] { ++changes; };
    pages.SetActivePageIndex(1);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(::IsWindowVisible(pages.Page(1).Handle()));
    EXPECT_FALSE(::IsWindowVisible(pages.Page(0).Handle()));
    RECT tab{};
    TabCtrl_GetItemRect(pages.Handle(), 0, &tab);
    ClickAt(pages.Handle(), (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pages.ActivePageIndex(), 0);
    EXPECT_TRUE(::IsWindowVisible(pages.Page(0).Handle()));
    EXPECT_FALSE(::IsWindowVisible(pages.Page(1).Handle()));
    EXPECT_EQ(pages.PageCaption(1), "二");
    // A page fills the tab control's display area.
    RECT page{};
    ::GetClientRect(pages.Page(0).Handle(), &page);
    EXPECT_GT(page.right, 380);
    EXPECT_GT(page.bottom, 200);
}

TEST_F(ControlsTest, RadioGroupClampsItsIndexAsAChoiceOfItsItems) {
    TRadioGroup group;
    ASSERT_TRUE(group.Create(host.Handle(), "lzh圧縮形式", {"lh5", "lh6", "lh7"}, 3));
    group.SetBounds(10, 10, 200, 40);
    int clicks = 0;
    group.OnClick = [&] { ++clicks; };
    group.SetItemIndex(5);
    EXPECT_EQ(group.ItemIndex(), 2);  // above the last: the last
    group.SetItemIndex(-7);
    EXPECT_EQ(group.ItemIndex(), -1);  // below -1: none
    group.SetItemIndex(1);
    EXPECT_EQ(group.ItemIndex(), 1);
    EXPECT_EQ(clicks, 0);
    ::SendMessageA(group.ButtonHandle(0), BM_CLICK, 0, 0);
    EXPECT_EQ(group.ItemIndex(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, ListBoxReportsSelectionsAndKeys) {
    TListBox list;
    ASSERT_TRUE(list.Create(host.Handle()));
    list.SetBounds(0, 0, 200, 200);
    list.SetItems({"a", "b", "c"});
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c"}));
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    EXPECT_EQ(list.SelectedCount(), 2);
    EXPECT_FALSE(list.Selected(1));
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 2}));
    WORD seen = 0;
    list.OnKeyDown = [&](WORD& key) { seen = key; };
    ::SendMessageA(list.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(seen, VK_DELETE);
}

TEST_F(ControlsTest, ASortedListBoxOrdersItsRowsAndPutsLaterOnesInPlace) {
    TListBox list;
    ASSERT_TRUE(list.Create(host.Handle()));
    list.SetItems({"C:\\b", "c:\\A", "C:\\a"});
    EXPECT_EQ(list.Add("C:\\0"), 3);  // not sorted yet: appended
    list.SetSorted(true);
    // Letter case ignored; rows that sort alike keep the order they had.
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"C:\\0", "c:\\A", "C:\\a", "C:\\b"}));
    EXPECT_EQ(list.Add("C:\\A"), 3);
    EXPECT_EQ(list.Add("D:\\"), 5);
    EXPECT_EQ(list.Add("C:\\"), 0);
    list.SetItems({"z", "y"});
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"y", "z"}));
}

TEST_F(ControlsTest, AControlRaisesItsOwnContextMenuEventAtThePointerOrBelowItsCurrentRow) {
    TListBox list;
    ASSERT_TRUE(list.Create(host.Handle()));
    list.SetBounds(20, 30, 200, 100);
    list.SetItems({"a", "b"});
    std::vector<POINT> seen;
    list.OnContextMenu = [&](POINT at) { seen.push_back(at); };
    testing_support::PressAt(list.Handle(), 50, 40, true);
    list.SetItemIndex(1);
    ::SendMessageA(list.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list.Handle()), -1);  // menu key
    RECT row{};
    ::SendMessageA(list.Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    POINT expected[] = {{50, 40}, {row.left + 8, row.bottom}};
    ASSERT_EQ(seen.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        ::ClientToScreen(list.Handle(), &expected[i]);
        EXPECT_EQ(seen[i].x, expected[i].x);
        EXPECT_EQ(seen[i].y, expected[i].y);
    }
}

TEST_F(ControlsTest, MemoKeepsItsLinesAndEmptyLinesBetween) {
    TMemo memo;
    ASSERT_TRUE(memo.Create(host.Handle()));
    memo.SetLines({"バックアップファイル一覧", ""});
    memo.AddLine("C:\\a.txt");
    memo.AddLine("");
    memo.AddLine("バックアップ終了");
    EXPECT_EQ(memo.Lines(), (std::vector<std::string>{"バックアップファイル一覧", "", "C:\\a.txt", "",
                                                      "バックアップ終了"}));
    memo.Clear();
    EXPECT_TRUE(memo.Lines().empty());
    EXPECT_EQ(TextToLines("a\r\n\r\nb\nc\r"), (std::vector<std::string>{"a", "", "b", "c"}));
}

TEST_F(ControlsTest, AListViewLeavesItsImagesToTheirHolder) {
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(ImageList_AddIcon(images, ::LoadIcon(nullptr, IDI_APPLICATION)), 0);
    {
        TListView list;
        ASSERT_TRUE(list.Create(host.Handle()));
        list.SetSmallImages(images);
        list.Add("row", 0);
    }
    // The list is gone and its images are still whole: the holder releases them, once.
    EXPECT_EQ(ImageList_GetImageCount(images), 1);
    EXPECT_TRUE(ImageList_Destroy(images));
}

TEST_F(ControlsTest, AVirtualListViewShowsTheRowsItKeepsAndFindsTypedNames) {
    TVirtualListView list;
    ASSERT_TRUE(list.Create(host.Handle()));
    list.SetBounds(0, 0, 400, 200);
    list.AddColumn("名前", 150);
    list.AddColumn("データ", 150);
    std::vector<TVirtualListView::TRow> rows;
    for (int i = 0; i < 3000; ++i)
        rows.push_back({"ファイル" + std::to_string(i) + ".txt", std::to_string(i) + " byte"});
    list.SetRows(rows);
    EXPECT_EQ(ListView_GetItemCount(list.Handle()), 3000);
    // Asked of the control, in both character sets: it asks the wrapper for the row's texts.
    char text[64] = {};
    ListView_GetItemText(list.Handle(), 2999, 0, text, sizeof text);
    EXPECT_STREQ(text, "ファイル2999.txt");
    wchar_t wide[64] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = wide;
    item.cchTextMax = 64;
    ::SendMessageW(list.Handle(), LVM_GETITEMTEXTW, 2998, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(wide, L"2998 byte");
    // A name typed in the list: the next row from the given one that begins with it.
    LVFINDINFOA find{};
    find.flags = LVFI_PARTIAL | LVFI_STRING;
    find.psz = "ファイル12";
    EXPECT_EQ(ListView_FindItem(list.Handle(), 13, &find), 120);
    // Rows added one by one and given their data.
    list.Clear();
    EXPECT_EQ(ListView_GetItemCount(list.Handle()), 0);
    list.SetSubItem(list.Add("a"), 1, "x");
    list.Add("b");
    ListView_GetItemText(list.Handle(), 0, 1, text, sizeof text);
    EXPECT_STREQ(text, "x");
    ListView_GetItemText(list.Handle(), 1, 1, text, sizeof text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(ListView_GetItemCount(list.Handle()), 2);
}

TEST_F(ControlsTest, AnErrorInAHandlerIsReportedAndTheWindowGoesOn) {
    std::vector<std::string> reported;
    TWindow::SetExceptionHandler([&](const std::string& m) { reported.push_back(m); });
    host.OnCommand(42, [] { throw std::runtime_error("D:\\none\\ に書き込めません"); });
    int after = 0;
    host.OnCommand(43, [&] { ++after; });
    ::SendMessageA(host.Handle(), WM_COMMAND, 42, 0);
    ::SendMessageA(host.Handle(), WM_COMMAND, 43, 0);
    TWindow::SetExceptionHandler(nullptr);
    EXPECT_EQ(reported, (std::vector<std::string>{"D:\\none\\ に書き込めません"}));
    EXPECT_EQ(after, 1);
}

}  // namespace
