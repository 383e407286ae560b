// Restoring chosen entries of an archive from the detail window's entry list: only those entries
// come out, into a new folder as the whole restore makes, and a choice that cannot be written
// leaves nothing behind.
#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveRestore.h"
#include "ArchiveStep.h"
#include "FormMainFixture.h"
#include "FormPlus.h"
#include "TestTree.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::BoxWatchdog;
using testing_support::Exists;
using testing_support::TreeOf;
using testing_support::TTree;
using testing_support::WriteFileBytes;

namespace {

TEST(ChosenEntries, AFolderMeansItsEntriesBeneathAndAFileItsStreams) {
    const TStrings entries = {"docs\\",   "docs\\a.txt", "docs\\sub\\b.txt", "docs2\\c.txt",
                              "memo.txt", "memo.txt;#s", "memo.txt2",        "ソ",
                              "ソ;#s",    "ソx"};
    EXPECT_EQ(ChosenEntries(entries, {"DOCS\\", "Memo.txt"}, ";#"),
              (TStrings{"docs\\", "docs\\a.txt", "docs\\sub\\b.txt", "memo.txt", "memo.txt;#s"}));
    // The trail byte of "ソ" is a backslash's: still a file, with its stream, no folder.
    EXPECT_EQ(ChosenEntries(entries, {"ソ"}, ";#"), (TStrings{"ソ", "ソ;#s"}));
    EXPECT_EQ(ChosenEntries(entries, {"none.txt"}, ";#"), TStrings{});
}

class RestoreChosenTest : public FormMainTest {
  protected:
    // The main window on the archive page listing arc, the detail window open on its first
    // archive's entries, the folder dialog answering dir\to.
    std::unique_ptr<TFormMain> StartOnEntries() {
        EXPECT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=4\r\nArcDir=" + arc + "\r\n"));
        auto form = Start();
        form->BrowseFolder = [this](HWND, const std::string&, const std::string& initial) {
            startedAt.push_back(initial);
            // Its menu starts a restore too: disabled while one is asked for and runs.
            detailEnabledMeanwhile = detailEnabledMeanwhile || ::IsWindowEnabled(detail->Handle());
            return std::optional(to);
        };
        EXPECT_TRUE(CreateDirectoryA(to.c_str(), nullptr));
        detail = OpenDetail(*form);
        EXPECT_NE(detail, nullptr);
        EXPECT_GE(form->ListView.Count(), 1);
        form->ListView.SetSelected(0, true);
        form->ListViewClick();
        return form;
    }
    void CopyFixture(const char* name) {
        ASSERT_TRUE(CreateDirectoryA(arc.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA((std::string("Z:") + APP_FIXTURES "/" + name).c_str(),
                              (arc + "\\" + name).c_str(), FALSE));
    }
    // Selects exactly the rows of these names; false when one is not listed.
    bool Select(const TStrings& names) {
        widgets::TVirtualListView& list = detail->ListRegItem;
        for (int i = 0; i < list.Count(); ++i) list.SetSelected(i, false);
        size_t found = 0;
        for (int i = 0; i < list.Count(); ++i)
            for (const std::string& n : names)
                if (list.Caption(i) == n) {
                    list.SetSelected(i, true);
                    ListView_EnsureVisible(list.Handle(), i, FALSE);
                    ++found;
                }
        return found == names.size();
    }
    // A right click on the last selected row (a right click on a selected row keeps the
    // selection), or below the rows without one; chooses the menu's item, or none for -1.
    testing_support::MenuWatchdog* RightClickEntries(int item) {
        widgets::TVirtualListView& list = detail->ListRegItem;
        RECT r{};
        ::GetClientRect(list.Handle(), &r);
        POINT at{r.right / 2, r.bottom - 5};
        const std::vector<int> rows = list.SelectedRows();
        if (!rows.empty() && ListView_GetItemRect(list.Handle(), rows.back(), &r, LVIR_LABEL))
            at = {r.left + 4, (r.top + r.bottom) / 2};
        menu = std::make_unique<testing_support::MenuWatchdog>(item);
        RightClick(list, at);
        return menu.get();
    }
    std::string arc = dir / "arc", to = dir / "to";
    std::vector<std::string> startedAt;
    TFormPlus* detail = nullptr;
    bool detailEnabledMeanwhile = false;
    std::unique_ptr<testing_support::MenuWatchdog> menu;
};

TEST_F(RestoreChosenTest, TwoChosenEntriesOfThreeThousandAreAllTheNewFolderHolds) {
    const std::string base = dir / "base\\";
    TTree tree;
    for (int i = 0; i < 3000; ++i) {
        const std::string n = std::to_string(i);
        std::string item = "d";
        tree.push_back(
            item.append(std::to_string(i / 100)).append("\\f").append(n).append(".txt=file ").append(n));
    }
    // Blanks and trail bytes 0x5C in the names; a neighbour whose name begins with a chosen one.
    tree.push_back("書類 2\\ソ表.txt=ソ表の中身");
    tree.push_back("書類 2\\ソ表.txt.bak=not chosen");
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(testing_support::MakeTree(base, tree));
    ASSERT_TRUE(CreateDirectoryA(arc.c_str(), nullptr));
    ASSERT_EQ(MakeArchive(base, arc, 0, false, false, nullptr).Outcome, TArchiveResult::arCreated);
    auto form = StartOnEntries();
    ASSERT_EQ(detail->ListRegItem.Count(), 3002);
    ASSERT_TRUE(Select({"d17\\f1742.txt", "書類 2\\ソ表.txt"}));
    BoxWatchdog ok(IDOK);
    const std::vector<std::string> items = RightClickEntries(0)->Items();
    ASSERT_TRUE(ok.WaitForBoxes(1));
    ok.Stop();
    EXPECT_EQ(items, TStrings{kExtractChosenCaption});
    const std::string archive = form->ListView.Caption(0);
    const std::string restored = to + "\\" + archive.substr(0, archive.size() - 4);
    EXPECT_EQ(ok.Boxes()[0].text, "\"" + restored + "\"に展開しました");
    EXPECT_EQ(TreeOf(restored + "\\"),
              (TTree{"d17\\", "d17\\f1742.txt=file 1742", "書類 2\\", "書類 2\\ソ表.txt=ソ表の中身"}));
    EXPECT_EQ(startedAt, TStrings{arc + "\\"});
    EXPECT_FALSE(detailEnabledMeanwhile);
    EXPECT_TRUE(::IsWindowEnabled(detail->Handle()));
    // The library is given the two names and reports those two alone.
    std::vector<std::pair<int, int>> steps;
    ASSERT_TRUE(CreateDirectoryA((dir / "again").c_str(), nullptr));
    const TRestoreResult again = RestoreArchive(
        nullptr, arc + "\\" + archive, dir / "again",
        [&](int done, int total, const std::string&, bool&) { steps.emplace_back(done, total); },
        TStrings{"d17\\f1742.txt", "書類 2\\ソ表.txt"});
    EXPECT_EQ(again.Outcome, TRestoreResult::rsDone);
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
}

TEST_F(RestoreChosenTest, TheMenuItemIsGrayedWithNothingSelected) {
    CopyFixture("handmade-dotdot.lzh");
    auto form = StartOnEntries();
    ASSERT_TRUE(Select({}));
    testing_support::MenuWatchdog* seen = RightClickEntries(-1);
    EXPECT_EQ(seen->Items(), TStrings{kExtractChosenCaption});
    EXPECT_EQ(seen->Grayed(), std::vector<bool>{true});
    Command(*form, cmExtractChosen);  // as a shortcut would: nothing to restore, nothing asked
    EXPECT_TRUE(startedAt.empty());
    ASSERT_TRUE(Select({"ok.txt"}));
    EXPECT_EQ(RightClickEntries(-1)->Grayed(), std::vector<bool>{false});
}

TEST_F(RestoreChosenTest, AChosenEntryThatCannotBeWrittenLeavesNoFolderAndSaysWhy) {
    CopyFixture("handmade-dotdot.lzh");
    auto form = StartOnEntries();
    const std::string archive = arc + "\\handmade-dotdot.lzh", folder = to + "\\handmade-dotdot";
    ASSERT_TRUE(Select({"..\\evil.txt"}));
    BoxWatchdog ok(IDOK);
    RightClickEntries(0)->Stop();
    ASSERT_TRUE(ok.WaitForBoxes(1));
    ok.Stop();
    EXPECT_TRUE(ok.Boxes()[0].hasStopIcon);
    EXPECT_EQ(ok.Boxes()[0].text.rfind("書庫\"" + archive + "\"を展開できませんでした（エラー ", 0), 0u)
        << ok.Boxes()[0].text;
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(dir / "evil.txt"));
    // With a good one: what was written stays, the box names the other.
    const TRestoreResult some =
        RestoreArchive(nullptr, archive, to, nullptr, TStrings{"ok.txt", "..\\evil.txt"});
    EXPECT_EQ(some.Outcome, TRestoreResult::rsPartial);
    EXPECT_EQ(some.NotWritten, TStrings{"..\\evil.txt"});
    EXPECT_EQ(TreeOf(folder + "\\"), TTree{"ok.txt=fine"});
    testing_support::RemoveTree(folder);
    // A chosen name the archive no longer holds: refused before anything is made.
    try {
        RestoreArchive(nullptr, archive, to, nullptr, TStrings{"gone.txt"});
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "選択したファイルは書庫\"" + archive + "\"にありません");
    }
    EXPECT_FALSE(Exists(folder));
}

TEST(RestoreChosen, ANameWithAWildcardIsNeverGivenToTheLibrary) {
    testing_support::TempDir dir;
    const std::string archive = dir / "wild.lzh", folder = dir / "wild";
    ASSERT_TRUE(CopyFileA((std::string("Z:") + APP_FIXTURES "/handmade-wildcard.lzh").c_str(),
                          archive.c_str(), FALSE));
    // Given as it stands, "a?.txt" would bring "ab.txt" out too.
    try {
        RestoreArchive(nullptr, archive, dir.Path(), nullptr, TStrings{"a?.txt"});
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "選択したファイルは名前に使えない文字を含むため、書庫\"" + archive +
                                             "\"から展開できません");
    }
    EXPECT_FALSE(Exists(folder));
    const TRestoreResult r =
        RestoreArchive(nullptr, archive, dir.Path(), nullptr, TStrings{"a?.txt", "ok.txt"});
    EXPECT_EQ(r.Outcome, TRestoreResult::rsPartial);
    EXPECT_EQ(r.NotWritten, TStrings{"a?.txt"});
    EXPECT_EQ(TreeOf(folder + "\\"), TTree{"ok.txt=fine"});
}

}  // namespace
