// The archive page on the main window: the list of the archive folder, its pop-up menu and double
// click, deleting, the archiver program, and restoring an archive the archive step made.
#include <gtest/gtest.h>
#include <windows.h>

#include "ArchiveList.h"
#include "ArchiveStep.h"
#include "FormMainFixture.h"

using namespace ostra;
using app_test::FormMainTest;
using testing_support::BoxWatchdog;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

enum { kDeleteFile = 5 };

class ArchivePageTest : public FormMainTest {
  protected:
    // The form on the archive page, filled from arc; its shell verbs and program starts recorded.
    std::unique_ptr<TFormMain> StartOnArchives(const std::vector<std::string>& archives) {
        EXPECT_TRUE(CreateDirectoryA(arc.c_str(), nullptr));
        for (const auto& a : archives) EXPECT_TRUE(WriteFileBytes(arc + "\\" + a, "x"));
        EXPECT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nIndex=4\r\nArcDir=" + arc + "\r\n"));
        auto form = Start();
        form->ShellOpen = [this](HWND, const std::string& verb, const std::string& path) {
            calls.push_back(verb + " " + path);
        };
        form->StartProgram = [this](const std::string& line) { calls.push_back("start " + line); };
        return form;
    }
    static void Select(TFormMain& form, std::initializer_list<int> rows) {
        for (int i = 0; i < form.ListView.Count(); ++i) form.ListView.SetSelected(i, false);
        for (int r : rows) form.ListView.SetSelected(r, true);
    }
    // A double click on a row, or on the empty space below the rows for -1.
    static void DoubleClick(TFormMain& form, int row) {
        RECT r{};
        ::GetClientRect(form.ListView.Handle(), &r);
        POINT p{r.right / 2, r.bottom - 5};
        if (row >= 0 && ListView_GetItemRect(form.ListView.Handle(), row, &r, LVIR_BOUNDS))
            p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::SendMessageA(form.ListView.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::SendMessageA(form.ListView.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    std::string arc = dir / "arc";
    std::vector<std::string> calls;
};

TEST_F(ArchivePageTest, CommandsNeedOneRowUseTheListedFolderAndADoubleClickFollowsTheChoice) {
    auto form = StartOnArchives({"b.lzh", "a.lzh"});
    form->EditArchiver.SetText(dir / "tool.exe");  // no such program: used as it stands
    Select(*form, {0, 1});
    Command(*form, cmAssociate);
    Command(*form, cmArchiver);
    EXPECT_TRUE(calls.empty());
    form->EditArcDir.SetText(dir / "elsewhere");  // typed after the listing: the rows stay arc's
    Select(*form, {0});
    Command(*form, cmArchiver);
    for (int choice : {0, 2, 3}) {
        form->RadioArcCtrl.SetItemIndex(choice);
        DoubleClick(*form, 0);
    }
    Select(*form, {});
    DoubleClick(*form, -1);  // "フォルダを開く" needs no row
    const std::string a = arc + "\\a.lzh";
    EXPECT_EQ(calls, (std::vector<std::string>{"start " + dir / "tool.exe" + " \"" + a + "\"", "open " + a,
                                               "explore " + arc + "\\", "open " + arc + "\\",
                                               "open " + arc + "\\"}));
}

TEST_F(ArchivePageTest, DeletingRemovesTheSelectedArchivesOfTheListedFolderOnly) {
    auto form = StartOnArchives({"1.lzh", "2.lzh", "3.lzh", "4.lzh"});
    const std::string other = dir / "other";
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(other + "\\1.lzh", "keep"));
    // The Delete key: the selected rows, never the focused one that is not selected.
    Select(*form, {0});
    ListView_SetItemState(form->ListView.Handle(), 1, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageA(form->ListView.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_FALSE(Exists(arc + "\\1.lzh"));
    EXPECT_TRUE(Exists(arc + "\\2.lzh"));
    // The menu with two rows selected, the edit naming another folder by now.
    form->EditArcDir.SetText(other);
    Select(*form, {0, 2});  // 2.lzh and 4.lzh
    RECT row{};             // a right click on a selected row keeps the selection
    ListView_GetItemRect(form->ListView.Handle(), 2, &row, LVIR_LABEL);
    const std::vector<std::string> menu =
        ChooseFromMenuOf(form->ListView, kDeleteFile, {row.left + 4, row.top + 4});
    EXPECT_EQ(menu, (std::vector<std::string>{"関連付けで開く(&S)", "アーカイバで開く(&A)",
                                              "エクスプローラ(&E)", "フォルダを開く(&F)", "展開...", "",
                                              "ファイルを削除(&D)", "リフレッシュ(&R)"}));
    EXPECT_FALSE(Exists(arc + "\\2.lzh"));
    EXPECT_TRUE(Exists(arc + "\\3.lzh"));
    EXPECT_FALSE(Exists(arc + "\\4.lzh"));
    EXPECT_EQ(ReadFileBytes(other + "\\1.lzh"), "keep");
    ASSERT_EQ(form->ListView.Count(), 1);  // the refresh lists the edit's folder
}

TEST_F(ArchivePageTest, ListingLeavesOutHiddenFilesAndForgetsAFolderThatIsGone) {
    auto form = StartOnArchives({"b.lzh", "a.LZH", "hidden.lzh", "note.txt"});
    ASSERT_TRUE(SetFileAttributesA((arc + "\\hidden.lzh").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Command(*form, cmRefresh);
    ASSERT_EQ(form->ListView.Count(), 2);
    EXPECT_EQ(form->ListView.Caption(0), "a.LZH");
    EXPECT_EQ(form->EditArcDir.Text(), arc + "\\");
    // A folder typed that does not exist keeps the rows; once the listed one is gone they go.
    form->EditArcDir.SetText(dir / "none");
    Command(*form, cmRefresh);
    EXPECT_EQ(form->ListView.Count(), 2);
    // A row deleted meanwhile goes with its file, though the edit's folder lists nothing.
    Select(*form, {0});
    SendMessageA(form->ListView.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_FALSE(Exists(arc + "\\a.LZH"));
    ASSERT_EQ(form->ListView.Count(), 1);
    EXPECT_EQ(form->ListView.Caption(0), "b.lzh");
    testing_support::RemoveTree(arc);
    Command(*form, cmRefresh);
    EXPECT_EQ(form->ListView.Count(), 0);
}

TEST_F(ArchivePageTest, TheArchiverEllipsisStartsInTheProgramsFolder) {
    auto form = StartOnArchives({});
    form->EditArchiver.SetText("C:\\tools\\lhaca.exe");
    widgets::TOpenFileRequest asked;
    form->OpenFiles = [&](HWND, const widgets::TOpenFileRequest& r) {
        asked = r;
        return TStrings{"D:\\Lhaplus\\Lhaplus.exe"};
    };
    SendMessageA(form->EditArchiver.ButtonHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(asked.Filter, "アプリケーション|*.exe");
    EXPECT_EQ(asked.InitialDir, "C:\\tools\\");
    EXPECT_EQ(form->EditArchiver.Text(), "D:\\Lhaplus\\Lhaplus.exe");
}

TEST(ArchiverCommandLine, QuotesTheArchiveAndAProgramPathThatIsOneWhole) {
    testing_support::TempDir dir;
    const std::string program = dir / "lha ca.exe", archive = "D:\\My Archives\\a.lzh";
    ASSERT_TRUE(WriteFileBytes(program, "MZ"));
    EXPECT_EQ(ArchiverCommandLine(program, archive), "\"" + program + "\" \"" + archive + "\"");
    EXPECT_EQ(ArchiverCommandLine("lhaca.exe -e", archive), "lhaca.exe -e \"" + archive + "\"");
    EXPECT_EQ(ArchiverCommandLine(" ", archive), "");
}

TEST_F(ArchivePageTest, ARestoreGivesBackTheFilesOfTheRunIntoANewFolderAndNeverWritesIntoAnOldOne) {
    const std::string base = dir / "base";
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes += static_cast<char>(i * 7 % 251);
    const std::pair<const char*, std::string> files[] = {{"\\backup\\memo.txt", "memo\r\n"},
                                                         {"\\書類\\ソ表.bin", bytes}};
    for (const char* d : {"", "\\backup", "\\書類"})
        ASSERT_TRUE(CreateDirectoryA((base + d).c_str(), nullptr));
    for (const auto& [name, data] : files) ASSERT_TRUE(WriteFileBytes(base + name, data));
    auto form = StartOnArchives({});
    ASSERT_EQ(MakeArchive(base, arc, 0, false, false, nullptr).Outcome, TArchiveResult::arCreated);
    Command(*form, cmRefresh);
    ASSERT_EQ(form->ListView.Count(), 1);
    std::vector<std::string> startedAt;
    form->BrowseFolder = [&](HWND, const std::string&, const std::string& initial) {
        startedAt.push_back(initial);
        return std::optional(dir / "to");
    };
    ASSERT_TRUE(CreateDirectoryA((dir / "to").c_str(), nullptr));
    const std::string name = form->ListView.Caption(0);
    const std::string restored = dir / "to\\" + name.substr(0, name.size() - 4);
    Select(*form, {0});
    BoxWatchdog ok(IDOK);
    Command(*form, cmExtract);
    ASSERT_TRUE(ok.WaitForBoxes(1));
    for (const auto& [file, data] : files) EXPECT_EQ(ReadFileBytes(restored + file), data) << file;
    // Again into the same place: refused, and what is there stays as it is.
    ASSERT_TRUE(WriteFileBytes(restored + "\\backup\\memo.txt", "edited"));
    Command(*form, cmExtract);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 2u);
    EXPECT_FALSE(ok.Boxes()[0].hasStopIcon);
    EXPECT_TRUE(ok.Boxes()[1].hasStopIcon);
    EXPECT_EQ(ok.Boxes()[1].text, "展開先のフォルダ\"" + restored + "\"がすでに存在します.");
    EXPECT_EQ(ReadFileBytes(restored + "\\backup\\memo.txt"), "edited");
    // The folder dialog started at the archive's folder, then where the last restore went.
    EXPECT_EQ(startedAt, (std::vector<std::string>{arc + "\\", dir / "to"}));
}

TEST_F(ArchivePageTest, ARestoreThatWritesOnlySomeEntriesSaysWhichAndKeepsThem) {
    auto form = StartOnArchives({});
    ASSERT_TRUE(CopyFileA((std::string("Z:") + APP_FIXTURES "/handmade-dotdot.lzh").c_str(),
                          (arc + "\\dotdot.lzh").c_str(), FALSE));
    Command(*form, cmRefresh);
    ASSERT_EQ(form->ListView.Count(), 1);
    ASSERT_TRUE(CreateDirectoryA((dir / "to").c_str(), nullptr));
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) {
        return std::optional(dir / "to");
    };
    Select(*form, {0});
    BoxWatchdog ok(IDOK);
    Command(*form, cmExtract);
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_TRUE(ok.Boxes()[0].hasStopIcon);
    const std::string folder = dir / "to\\dotdot";
    // The names as the library lists them; the error box's full stop after the last line.
    EXPECT_EQ(ok.Boxes()[0].text, "書庫\"" + arc +
                                      "\\dotdot.lzh\"の一部を展開できませんでした\r\n"
                                      "展開できなかったファイル（3 個）:\r\n  ..\\evil.txt\r\n"
                                      "  sub\\..\\..\\evil2.txt\r\n  a\\..\\..\\evil3.txt\r\n\r\n\"" +
                                      folder + "\"に 1 個のファイルを展開しました.");
    EXPECT_EQ(ReadFileBytes(folder + "\\ok.txt"), "fine");
    EXPECT_FALSE(Exists(dir / "evil.txt"));
}

// Presses the cancel button of the restore's progress window once it shows, as the user does:
// run from a timer of this thread, which the progress window's message handling serves while
// the library extracts.
bool g_progressSeen = false, g_mainWindowDisabled = false;
HWND g_mainWindow = nullptr;
void CALLBACK PressCancelOfProgress(HWND, UINT, UINT_PTR, DWORD) {
    HWND progress = ::FindWindowA("TRestoreProgress", nullptr);
    if (!progress || !::IsWindowVisible(progress) || g_progressSeen) return;
    g_progressSeen = true;
    g_mainWindowDisabled = !::IsWindowEnabled(g_mainWindow);
    ::SendMessageA(::FindWindowExA(progress, nullptr, "Button", nullptr), BM_CLICK, 0, 0);
}

TEST_F(ArchivePageTest, ARestoreShowsItsProgressAndACancelLeavesNoFolder) {
    // Enough data that the extraction outlasts a few of the dialog's updates.
    const std::string base = dir / "base";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "\\sub").c_str(), nullptr));
    unsigned seed = 7;
    for (int i = 0; i < 40; ++i) {
        std::string text(250000, ' ');
        for (char& c : text) c = static_cast<char>('a' + ((seed = seed * 1103515245 + 12345) >> 16) % 26);
        ASSERT_TRUE(WriteFileBytes(base + "\\sub\\f" + std::to_string(i) + ".txt", text));
    }
    auto form = StartOnArchives({});
    ASSERT_EQ(MakeArchive(base, arc, 0, false, false, nullptr).Outcome, TArchiveResult::arCreated);
    Command(*form, cmRefresh);
    form->BrowseFolder = [&](HWND, const std::string&, const std::string&) {
        return std::optional(dir.Path());
    };
    Select(*form, {0});
    g_progressSeen = g_mainWindowDisabled = false;
    g_mainWindow = form->Handle();
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &PressCancelOfProgress);
    BoxWatchdog ok(IDOK);
    Command(*form, cmExtract);
    ::KillTimer(nullptr, timer);
    ok.Stop();
    EXPECT_TRUE(g_progressSeen);
    EXPECT_TRUE(g_mainWindowDisabled);
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    EXPECT_EQ(::FindWindowA("TRestoreProgress", nullptr), nullptr);
    ASSERT_EQ(ok.Boxes().size(), 1u);
    EXPECT_EQ(ok.Boxes()[0].text, "展開を中止しました。\r\n途中まで展開したファイルは残していません");
    EXPECT_FALSE(ok.Boxes()[0].hasStopIcon);
    const std::string name = form->ListView.Caption(0);
    EXPECT_FALSE(Exists(dir / name.substr(0, name.size() - 4)));
}

}  // namespace
