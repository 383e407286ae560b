// The detail window beside the main window: its place and stored geometry, and what it shows for
// each page: a file's text, a folder's preview, a key's values, an archive's entries.
#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveStep.h"
#include "DetailContent.h"
#include "FormMainFixture.h"
#include "FormPlus.h"
#include "TestHostWindow.h"
#include "SettingsFile.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::BoxWatchdog;
using testing_support::WriteFileBytes;

namespace {

// A text of the detail window's list as the control shows it.
std::string ShownText(const TFormPlus& f, int row, int column) {
    char text[1024] = {};
    ListView_GetItemText(f.ListRegItem.Handle(), row, column, text, sizeof text);
    return text;
}

// The rows of the detail window's list, as shown.
TDetailRows Rows(const TFormPlus& f) {
    TDetailRows rows;
    for (int i = 0; i < ListView_GetItemCount(f.ListRegItem.Handle()); ++i)
        rows.emplace_back(ShownText(f, i, 0), ShownText(f, i, 1));
    return rows;
}

std::string ColumnCaption(const TFormPlus& f, int column) {
    char text[64] = {};
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = sizeof text;
    ListView_GetColumn(f.ListRegItem.Handle(), column, &col);
    return text;
}

TEST_F(FormMainTest, TheDetailWindowOpensBesideTheMainWindowAndKeepsItsGeometryInKey) {
    ASSERT_TRUE(
        WriteFileBytes(prog + "ostra.ini",
                       "[Option]\r\nLeft=10\r\nTop=20\r\n[Key]\r\nWidth=300\r\nHeight=250\r\nName=100\r\n"
                       "Data=90\r\n"));
    auto form = Start();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    EXPECT_TRUE(form->DetailVisible);
    EXPECT_TRUE(form->tb97Main.Down(tbDetailId));
    RECT main = WindowRect(*form), r{};
    ::GetWindowRect(detail->Handle(), &r);
    EXPECT_EQ(r.left, main.right);
    EXPECT_EQ(r.top, main.top);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 250);
    EXPECT_EQ(detail->ListRegItem.ColumnWidth(0), 100);
    EXPECT_EQ(detail->ListRegItem.ColumnWidth(1), 90);
    // Closed by the user: the toggle goes up and the geometry is written.
    detail->ListRegItem.SetColumnWidth(0, 110);
    ::SendMessageA(detail->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->DetailForm(), nullptr);
    EXPECT_FALSE(form->DetailVisible);
    EXPECT_FALSE(form->tb97Main.Down(tbDetailId));
    EXPECT_EQ(TSettingsFile(prog + "ostra.ini").ReadInteger("Key", "Name", 0), 110);
    // Open again and closing the main window with it: the next start opens it at once.
    ASSERT_NE(OpenDetail(*form), nullptr);
    ASSERT_TRUE(Close(*form));
    EXPECT_TRUE(TSettingsFile(prog + "ostra.ini").ReadBool("Key", "Visible", false));
    auto again = Start();
    ASSERT_NE(again->DetailForm(), nullptr);
    EXPECT_TRUE(again->tb97Main.Down(tbDetailId));
    // The toggle closes it.
    ClickToolButton(*again, tbDetailId);
    EXPECT_EQ(again->DetailForm(), nullptr);
}

TEST_F(FormMainTest, TheDetailControlFollowsThePage) {
    auto form = Start();
    form->Pages.SetActivePageIndex(TabReg);
    form->TabChange();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    EXPECT_TRUE(detail->ListRegItem.Visible());
    EXPECT_FALSE(detail->Edit.Visible());
    detail->ListRegItem.Add("row");
    detail->Edit.SetLines({"text"});
    form->Pages.SetActivePageIndex(TabOption);
    form->TabChange();
    EXPECT_TRUE(detail->Edit.Visible());
    EXPECT_FALSE(detail->ListRegItem.Visible());
    // The settings page shows the last unattended run, here that there is none.
    EXPECT_EQ(detail->Edit.Text().find("text"), std::string::npos);
    EXPECT_NE(detail->Edit.Text().find("実行記録はありません"), std::string::npos);
    // Straight back to the registry page: an empty list until a key is selected.
    form->Pages.SetActivePageIndex(TabReg);
    form->TabChange();
    EXPECT_TRUE(detail->ListRegItem.Visible());
    EXPECT_EQ(detail->ListRegItem.Count(), 0);
    detail->ListRegItem.Add("row");
    form->Pages.SetActivePageIndex(TabArchive);
    form->TabChange();
    EXPECT_TRUE(detail->ListRegItem.Visible());
    EXPECT_EQ(detail->ListRegItem.Count(), 0);
    EXPECT_EQ(ColumnCaption(*detail, 1), "格納サイズ");
    form->Pages.SetActivePageIndex(TabReg);
    form->TabChange();
    EXPECT_EQ(ColumnCaption(*detail, 1), "データ");
}

TEST_F(FormMainTest, AClickedFileShowsItsTextAndALargeFileOnlyItsFirstPart) {
    ASSERT_TRUE(WriteFileBytes(dir / "memo.txt", "一行目\r\nsecond\r\n"));
    auto form = Start();
    form->ListFiles.SetItems({dir / "memo.txt"});
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    ClickRow(form->ListFiles, 0);
    EXPECT_EQ(detail->Edit.Lines(), (TStrings{"一行目", "second"}));
    // Cut within a double-byte character: the half is left out, and a line says it was cut.
    EXPECT_EQ(ReadFilePreview(dir / "memo.txt", 7), (TStrings{"一行目", kPreviewCut}));
    EXPECT_EQ(ReadFilePreview(dir / "memo.txt", 5), (TStrings{"一行", kPreviewCut}));
    EXPECT_THROW(ReadFilePreview(dir / "none.txt"), std::runtime_error);
}

TEST_F(FormMainTest, AFolderPreviewListsEachPatternInTurn) {
    const std::string src = dir / "src";
    for (const char* d : {"", "\\sub"}) ASSERT_TRUE(CreateDirectoryA((src + d).c_str(), nullptr));
    for (const char* f : {"\\b.doc", "\\z.txt", "\\c.bin", "\\sub\\d.txt"})
        ASSERT_TRUE(WriteFileBytes(src + f, "x"));
    ASSERT_TRUE(WriteFileBytes(prog + "backfol.ini", src + ",src,*.txt;*.doc,0\r\n"));
    auto form = Start();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    form->Pages.SetActivePageIndex(TabFol);
    ClickRow(form->ListFol, 0);
    // The patterns' order, which is not the names' order.
    EXPECT_EQ(detail->Edit.Lines(), (TStrings{src + "\\z.txt", src + "\\b.doc"}));
    form->CheckSubFol.SetChecked(true);
    EXPECT_EQ(FolderPreview(src, "*.txt,*.doc", true),
              (TStrings{src + "\\sub\\d.txt", src + "\\z.txt", src + "\\b.doc"}));
    EXPECT_TRUE(FolderPreview("src", "*.*", true).empty());  // no full path: as a run, nothing
}

// A key of its own below HKCU\Software for each test process.
class DetailRegistryTest : public FormMainTest {
  protected:
    void SetUp() override {
        FormMainTest::SetUp();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr),
                  0);
    }
    void TearDown() override {
        ::RegCloseKey(key);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    // Selects the test key in the main window's tree, as a click on it does.
    void SelectKey(TFormMain& form) {
        auto child = [&](TTreeNode parent, const std::string& text) {
            for (TTreeNode n = form.RegView.FirstChild(parent); n; n = form.RegView.NextSibling(n))
                if (form.RegView.NodeText(n) == text) return n;
            return TTreeNode{};
        };
        TTreeNode n = child(form.RegView.TopNode(), "HKEY_CURRENT_USER");
        form.RegView.Expand(n);
        n = child(n, "Software");
        form.RegView.Expand(n);
        n = child(n, name);
        ASSERT_NE(n, nullptr);
        form.RegView.Select(n);
    }
    const std::string name = "PelmiraDetailTest" + std::to_string(::GetCurrentProcessId());
    const std::string path = "Software\\" + name;
    HKEY key = nullptr;
};

TEST_F(DetailRegistryTest, ValuesListInNameOrderWithTheDefaultFirst) {
    DWORD ten = 10;
    ::RegSetValueExA(key, "B", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ten), sizeof ten);
    ::RegSetValueExA(key, "A", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    auto form = Start();
    form->Pages.SetActivePageIndex(TabReg);
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    SelectKey(*form);
    EXPECT_EQ(Rows(*detail), (TDetailRows{{"(標準)", "(値の設定無し)"}, {"A", "\"x\""}, {"B", "10"}}));
    // A set default value: listed once, with empty data; a binary value and an expandable string.
    ::RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("d"), 2);
    ::RegSetValueExA(key, "bin", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1\2"), 2);
    ::RegSetValueExA(key, "path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%"), 7);
    // A name of double-byte characters; a name the code page cannot spell, which cannot be read
    // back by its Shift-JIS name: the one row says so, the others stay.
    ::RegSetValueExA(key, "長い日本語の名前", 0, REG_SZ, reinterpret_cast<const BYTE*>("値"), 3);
    ::RegSetValueExW(key, L"\uD55C\uAE00", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&ten), sizeof ten);
    SelectKey(*form);  // the same node again: read anew
    BoxWatchdog none;
    form->RegViewChange(form->RegView, form->RegView.Selected(), nullptr, "");
    none.Stop();
    EXPECT_TRUE(none.Boxes().empty());
    EXPECT_EQ(Rows(*detail), (TDetailRows{{"(標準)", ""},
                                          {"??", kUnreadableValue},
                                          {"A", "\"x\""},
                                          {"B", "10"},
                                          {"bin", " - binary data - "},
                                          {"path", "\"%TEMP%\""},
                                          {"長い日本語の名前", "\"値\""}}));
}

TEST(MemoLog, LinesComingFastAreShownTogetherAndTheFirstOfAStepOrAfterAPauseAtOnce) {
    ASSERT_TRUE(testing_support::HasTestDisplay());
    testing_support::TestHostWindow host;
    ASSERT_TRUE(host.Create());
    widgets::TMemo memo;
    ASSERT_TRUE(memo.Create(host.Handle(), true));
    ULONGLONG now = 1000;
    TMemoLog log(memo, [&] { return now; });
    log.AddLine("バックアップファイル一覧");  // the first line: at once
    EXPECT_EQ(memo.Lines(), TStrings{"バックアップファイル一覧"});
    now += 10;
    log.AddLine("a");
    now += 10;
    log.AddLine("b");
    log.FlushDue();
    EXPECT_EQ(memo.Lines().size(), 1u);  // gathered
    now += TMemoLog::kMinInterval;
    log.FlushDue();  // between two items, once it is time
    EXPECT_EQ(memo.Lines(), (TStrings{"バックアップファイル一覧", "a", "b"}));
    // A step begins: its first line is shown at once, the next ones are gathered again.
    now += 10;
    log.ShowNextLineAtOnce();
    log.AddLine("アーカイブファイルの作成開始...");
    now += 10;
    log.AddLine("c");
    EXPECT_EQ(memo.Lines().back(), "アーカイブファイルの作成開始...");
    // After a quiet spell a line is shown at once, with what was gathered before it.
    now += 5000;
    log.AddLine("d");
    log.AddLine("e");
    EXPECT_EQ(memo.Lines().back(), "d");
    log.Flush();
    EXPECT_EQ(memo.Lines(), (TStrings{"バックアップファイル一覧", "a", "b", "アーカイブファイルの作成開始...",
                                      "c", "d", "e"}));
}

TEST_F(FormMainTest, AnArchiveRowShowsItsEntriesAndADamagedArchiveNone) {
    const std::string base = dir / "base", arc = dir / "arc";
    for (const std::string& d : {base, base + "\\backup", arc})
        ASSERT_TRUE(CreateDirectoryA(d.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(base + "\\backup\\memo.txt", std::string(5000, 'm')));
    ASSERT_TRUE(WriteFileBytes(base + "\\a.txt", "a"));
    const TArchiveResult made = MakeArchive(base, arc, 0, false, false, nullptr);
    ASSERT_EQ(made.Outcome, TArchiveResult::arCreated);
    ASSERT_TRUE(WriteFileBytes(arc + "\\0000_damaged.lzh", "x"));
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=4\r\nArcDir=" + arc + "\r\n"));
    auto form = Start();
    TFormPlus* detail = OpenDetail(*form);
    ASSERT_NE(detail, nullptr);
    ASSERT_EQ(form->ListView.Count(), 2);
    form->ListView.SetSelected(1, true);
    form->ListViewClick();
    const TDetailRows rows = Rows(*detail);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].first, "a.txt");
    EXPECT_EQ(rows[1].first, "backup\\memo.txt");
    // The stored size of 5000 equal bytes: a number well below 5000, then " byte".
    const std::string size = rows[1].second;
    ASSERT_GT(size.size(), 5u);
    EXPECT_EQ(size.substr(size.size() - 5), " byte");
    EXPECT_LT(std::stoi(size), 5000);
    EXPECT_EQ(ColumnCaption(*detail, 1), "格納サイズ");
    BoxWatchdog none;
    form->ListView.SetSelected(1, false);
    form->ListView.SetSelected(0, true);
    form->ListViewClick();
    none.Stop();
    EXPECT_EQ(detail->ListRegItem.Count(), 0);
    EXPECT_TRUE(none.Boxes().empty());
}

}  // namespace
