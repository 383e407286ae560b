// Projects on the main window, in this process: the project menu, the project dialog, saving
// (checked with lhasa), loading, deleting, the base configuration, and what is refused.
#include <gtest/gtest.h>
#include <windows.h>

#include "../archiver/ArchiveTestSupport.h"
#include "Application.h"
#include "Archives.h"
#include "ArchiveListing.h"
#include "FormMainFixture.h"
#include "Projects.h"
#include "SettingsFile.h"

using namespace ostra;
using testing_support::BoxWatchdog;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

const TStrings kEntries = {"backup.ini", "backfol.ini", "backreg.ini", "ostra.ini"};

class ProjectTest : public app_test::FormMainTest {
  protected:
    void SetUp() override {
        FormMainTest::SetUp();
        ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", "[Option]\r\nBaseDir=C:\\Base\\\r\n"));
    }
    std::string Project(const std::string& name) const { return prog + "Project\\" + name; }
    static std::string Caption(const TFormMain& form) {
        char text[256] = {};
        ::GetWindowTextA(form.Handle(), text, sizeof text);
        return text;
    }
    static HMENU ProjectMenu(const TFormMain& form) { return ::GetSubMenu(::GetMenu(form.Handle()), 1); }
    // Opens the project menu as a click on it does; returns its captions (separators empty).
    static TStrings OpenProjectMenu(TFormMain& form) {
        HMENU menu = ProjectMenu(form);
        ::SendMessageA(form.Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 1);
        TStrings captions;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char text[256] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            captions.push_back(text);
        }
        return captions;
    }
    // Chooses the project item captioned name in the menu.
    static bool ChooseProject(TFormMain& form, const std::string& name) {
        const TStrings captions = OpenProjectMenu(form);
        for (size_t i = 0; i < captions.size(); ++i)
            if (captions[i] == name) {
                Command(form, ::GetMenuItemID(ProjectMenu(form), static_cast<int>(i)));
                return true;
            }
        return false;
    }
    // "プロジェクトとして保存(&S)", the name typed, Enter.
    static void SaveAs(TFormMain& form, const std::string& name) {
        Command(form, cmProjectSave);
        ASSERT_NE(form.ProjectForm(), nullptr);
        TypeAndEnter(form, name);
    }
    static void TypeAndEnter(TFormMain& form, const std::string& name) {
        form.ProjectForm()->edProject.SetText(name);
        Press(form, form.ProjectForm()->edProject.Handle(), VK_RETURN, 0x1C);
    }
    // A key pressed in window `to`, as the program's message loop hands it on.
    static void Press(TFormMain& form, HWND to, WPARAM key, UINT scanCode) {
        MSG msg{to, WM_KEYDOWN, key, static_cast<LPARAM>(scanCode << 16 | 1), 0, {}};
        DispatchMainMessage(form, msg);
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMainMessage(form, msg);
    }
    static void Configure(TFormMain& form, const std::string& file, const std::string& folderLine) {
        form.EditBaseDir.SetText("C:\\P\\" + file + "\\");
        form.CheckArchive.SetChecked(true);
        form.RadioArchive.SetItemIndex(2);
        form.RadioArcName.SetItemIndex(1);
        form.CheckDeleteFiles.SetChecked(true);
        form.chkDelConfirm.SetChecked(false);
        form.ListFiles.SetItems({"C:\\" + file});
        form.FolderEntries.Assign({folderLine});
        form.ListReg.SetItems({"HKEY_CURRENT_USER\\Software\\" + file});
    }
    // A project archive of files named after their entries (made in a folder of their own).
    void PackArchive(const std::string& name, const TStrings& entries) const {
        const std::string src = dir / "src\\";
        archive_test::MakeTree(src, entries);
        ::CreateDirectoryA(Project("").c_str(), nullptr);
        arc::TArchiveFile archive;
        archive.SetFileName(Project(name));
        archive.Options().jso = 1;
        ASSERT_EQ(archive.Pack(nullptr, nullptr, src.substr(0, src.size() - 1), arc::TFileList{entries}), 0);
    }
    // Every box is closed; the tests that expect none check that none came.
    BoxWatchdog boxes;
    // What nobody may leave behind: the work files.
    void ExpectNoWorkFiles() const {
        for (const auto& e : kEntries) EXPECT_FALSE(Exists(Project(e))) << e;
    }
    void ExpectNoBoxes() const {
        for (const auto& b : boxes.Boxes()) ADD_FAILURE() << "box: " << b.text;
    }
    void ExpectBoxesWithStopIcon(size_t n, const std::string& part) const {
        ASSERT_TRUE(boxes.WaitForBoxes(n, 3000));
        ASSERT_EQ(boxes.Boxes().size(), n);
        for (const auto& b : boxes.Boxes()) {
            EXPECT_TRUE(b.hasStopIcon) << b.text;
            EXPECT_NE(b.text.find(part), std::string::npos) << b.text;
        }
    }
};

TEST_F(ProjectTest, SavedProjectsAreListedLoadedAndDeleted) {
    auto form = Start();
    Configure(*form, "alpha", "C:\\Data,Data,*.txt,1");
    SaveAs(*form, "alpha");
    EXPECT_EQ(Caption(*form), "Ostra -alpha-");
    EXPECT_TRUE(form->ProjectMode);
    EXPECT_EQ(form->ProjectForm(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    ExpectNoWorkFiles();
    EXPECT_EQ(archive_test::LhasaNames(dir.Path(), Project("alpha.lzh")), kEntries);

    Configure(*form, "beta", "C:\\Mail,Mail,*.*,0");
    Command(*form, cmProjectSave);
    ASSERT_NE(form->ProjectForm(), nullptr);
    EXPECT_FALSE(::IsWindowEnabled(form->Handle()));
    EXPECT_EQ(form->ProjectForm()->ListProject.Items(), TStrings{"alpha"});
    EXPECT_EQ(
        ReadFileBytes(Project("ostra.ini")),
        "[Option]\r\nBaseDir=C:\\P\\beta\\\r\nArcDir=\r\nTimestamp=0\r\nArchive=1\r\nLha=2\r\nArcName=1\r\n"
        "ArcProgress=0\r\nDeleteFiles=1\r\nDelConfirm=0\r\nDelShowDialog=1\r\nDelUseRecycleBin=1\r\n");
    TypeAndEnter(*form, "beta");
    EXPECT_EQ(OpenProjectMenu(*form), (TStrings{"新規作成(&N)\tCtrl+N", "プロジェクトとして保存(&S)\tCtrl+S",
                                                "基本設定を読み込む(&R)", "", "alpha", "beta"}));

    // Loading keeps what only the base ostra.ini holds: size, page, archiver, double-click choice.
    ::SetWindowPos(form->Handle(), nullptr, 0, 0, 420, 450, SWP_NOMOVE | SWP_NOZORDER);
    form->Pages.SetActivePageIndex(TabReg);
    form->EditArchiver.SetText("C:\\Tools\\lha.exe");
    form->RadioArcCtrl.SetItemIndex(2);
    const RECT before = WindowRect(*form);
    ASSERT_TRUE(ChooseProject(*form, "alpha"));
    EXPECT_EQ(Caption(*form), "Pelmira : 0.0.9.5 - alpha-");
    EXPECT_EQ(form->EditBaseDir.Text(), "C:\\P\\alpha\\");
    EXPECT_TRUE(form->CheckArchive.Checked());
    EXPECT_EQ(form->RadioArchive.ItemIndex(), 2);
    EXPECT_FALSE(form->chkDelConfirm.Checked());
    EXPECT_EQ(form->ListFiles.Items(), TStrings{"C:\\alpha"});
    EXPECT_EQ(form->FolderEntries.Lines(), TStrings{"C:\\Data,Data,*.txt,1"});
    EXPECT_EQ(form->ListFol.Items(), TStrings{"C:\\Data"});
    EXPECT_EQ(form->ListReg.Items(), TStrings{"HKEY_CURRENT_USER\\Software\\alpha"});
    const RECT after = WindowRect(*form);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabReg);
    EXPECT_EQ(form->EditArchiver.Text(), "C:\\Tools\\lha.exe");
    EXPECT_EQ(form->RadioArcCtrl.ItemIndex(), 2);
    ExpectNoWorkFiles();

    // A click takes a name over; the Delete key deletes that project's archive, its item stays.
    Command(*form, cmProjectSave);
    TFormProject& dialog = *form->ProjectForm();
    ClickRow(dialog.ListProject, 1);
    EXPECT_EQ(dialog.edProject.Text(), "beta");
    ::SendMessageA(dialog.ListProject.Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(dialog.ListProject.Items(), TStrings{"alpha"});
    EXPECT_FALSE(Exists(Project("beta.lzh")));
    EXPECT_TRUE(Exists(Project("alpha.lzh")));
    ::SendMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form->ProjectForm(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    ExpectNoWorkFiles();
    ASSERT_TRUE(ChooseProject(*form, "beta"));  // nothing happens
    EXPECT_EQ(Caption(*form), "Pelmira : 0.0.9.5 - alpha-");
    EXPECT_TRUE(Close(*form));
    ExpectNoBoxes();
}

TEST_F(ProjectTest, NamesThatAreNoFileNamesAreRefusedAndNothingIsWritten) {
    for (const char* bad : {"", "a\\b", "a/b", "c:d", "a*", "a?", "a\"b", "<a>", "a|b", "a\tb", "CON", "nul",
                            "NUL.txt", "com1", "LPT9.lzh", "aux ", "x.", "..\\evil"})
        EXPECT_NE(ProjectNameRefusal(bad), "") << bad;
    // Trail bytes 0x5C and 0x7C belong to their characters.
    for (const char* good : {"ソ表能", "ポ", "a.b", "CONSOLE", "COM0", "仕事 1", "-x-"})
        EXPECT_EQ(ProjectNameRefusal(good), "") << good;

    auto form = Start();
    Command(*form, cmProjectSave);
    const TStrings names = {"a\\b", "c:d", "CON", "nul.txt", "..\\evil"};
    for (const auto& name : names) TypeAndEnter(*form, name);
    ExpectBoxesWithStopIcon(names.size(), "プロジェクト名");
    ASSERT_NE(form->ProjectForm(), nullptr);  // still there for another name
    EXPECT_EQ(ListProjects(prog), TStrings{});
    EXPECT_FALSE(Exists(prog + "evil.lzh"));
    EXPECT_FALSE(Exists(Project("a")));
    EXPECT_EQ(Caption(*form), "Pelmira : 0.0.9.5");
    EXPECT_FALSE(form->ProjectMode);
    EXPECT_TRUE(Close(*form));
    ExpectNoWorkFiles();
}

TEST_F(ProjectTest, SavingAgainReplacesTheArchiveWithTheFourCurrentFiles) {
    PackArchive("p.lzh", {"backup.ini", "extra.txt"});  // an entry no save may keep
    auto form = Start();
    Configure(*form, "first", "C:\\One,One,*.*,0");
    SaveAs(*form, "p");
    const TStrings firstListing = testing_support::ArchiveListing(Project("p.lzh"));
    Configure(*form, "second", "C:\\Two,Two,*.*,1");
    // Work files older than the entries: an update of the old archive would keep its entries.
    Command(*form, cmProjectSave);
    for (const auto& e : kEntries)
        ASSERT_TRUE(testing_support::SetLocalWriteTime(Project(e), 2001, 1, 1, 0, 0, 0));
    TypeAndEnter(*form, "P");  // the same file
    EXPECT_EQ(archive_test::LhasaNames(dir.Path(), Project("p.lzh")), kEntries);
    EXPECT_NE(testing_support::ArchiveListing(Project("p.lzh")), firstListing);
    EXPECT_EQ(ListProjects(prog).size(), 1u);
    EXPECT_EQ(form->ProjectMenuNames(), TStrings{"p"});
    ASSERT_TRUE(ChooseProject(*form, "p"));
    EXPECT_EQ(form->ListFiles.Items(), TStrings{"C:\\second"});
    EXPECT_EQ(form->FolderEntries.Lines(), TStrings{"C:\\Two,Two,*.*,1"});
    ExpectNoBoxes();
}

TEST_F(ProjectTest, AFailedSaveLeavesCaptionMenuModeAndTheOldArchive) {
    auto form = Start();
    SaveAs(*form, "keep");
    Command(*form, cmReadini);
    const std::string kept = ReadFileBytes(Project("keep.lzh"));
    // Two ways a save fails: a work file gone before packing; the library cannot write the
    // archive (a folder stands where it packs).
    Command(*form, cmProjectSave);
    ASSERT_TRUE(::DeleteFileA(Project("backreg.ini").c_str()));
    TypeAndEnter(*form, "keep");
    Command(*form, cmProjectSave);
    ASSERT_TRUE(::CreateDirectoryA(Project("~saving").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(Project("~saving\\keep.lzh").c_str(), nullptr));
    TypeAndEnter(*form, "keep");
    ExpectBoxesWithStopIcon(2, "プロジェクト\"keep\"を保存できませんでした");
    EXPECT_EQ(Caption(*form), "Pelmira : 0.0.9.5");
    EXPECT_FALSE(form->ProjectMode);
    EXPECT_EQ(form->ProjectMenuNames(), TStrings{"keep"});
    EXPECT_EQ(form->ProjectForm(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    EXPECT_EQ(ReadFileBytes(Project("keep.lzh")), kept);
    ExpectNoWorkFiles();
}

TEST_F(ProjectTest, AProjectLackingAnEntryIsRefusedBeforeTheWindowChanges) {
    // An archive without backfol.ini, and a stale backfol.ini that must not stand in for it.
    PackArchive("broken.lzh", {"backup.ini", "backreg.ini", "ostra.ini"});
    ASSERT_TRUE(WriteFileBytes(Project("backfol.ini"), "C:\\Stale,Stale,*.*,0\r\n"));
    ASSERT_TRUE(WriteFileBytes(prog + "backup.ini", "C:\\base.txt\r\n"));
    auto form = Start();
    ASSERT_TRUE(ChooseProject(*form, "broken"));
    ExpectBoxesWithStopIcon(1, "backfol.ini");
    EXPECT_EQ(Caption(*form), "Pelmira : 0.0.9.5");
    EXPECT_FALSE(form->ProjectMode);
    EXPECT_EQ(form->EditBaseDir.Text(), "C:\\Base\\");
    EXPECT_EQ(form->ListFiles.Items(), TStrings{"C:\\base.txt"});
    EXPECT_EQ(form->ListFol.Count(), 0);
    ExpectNoWorkFiles();
}

TEST_F(ProjectTest, ProjectModeFromNewUntilTheBaseSettingsAreReadAndTheBaseFilesStay) {
    const std::string ini = "[Option]\r\nBaseDir=C:\\Base\\\r\nArchive=1\r\n";
    const std::string lists[] = {"C:\\f.txt\r\n", "C:\\D,D,*.*,1\r\n", "HKEY_USERS\\x\r\n"};
    const char* files[] = {"backup.ini", "backfol.ini", "backreg.ini"};
    ASSERT_TRUE(WriteFileBytes(prog + "ostra.ini", ini));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(WriteFileBytes(prog + files[i], lists[i]));
    auto form = Start();
    EXPECT_EQ(OpenProjectMenu(*form)[2], "基本設定に書き込む(&W)");
    Command(*form, cmProjectMake);
    EXPECT_EQ(Caption(*form), "Ostra -新規プロジェクト-");
    EXPECT_EQ(form->ListFiles.Count() + form->ListFol.Count() + form->ListReg.Count(), 0);
    EXPECT_EQ(form->FolderEntries.Count(), 0);
    EXPECT_EQ(form->Pages.ActivePageIndex(), TabBackup);
    EXPECT_EQ(form->EditBaseDir.Text(), "C:\\Base\\");  // the settings keep their values
    EXPECT_TRUE(form->ProjectMode);
    EXPECT_EQ(OpenProjectMenu(*form), (TStrings{"新規作成(&N)\tCtrl+N", "プロジェクトとして保存(&S)\tCtrl+S",
                                                "基本設定を読み込む(&R)"}));
    form->EditBaseDir.SetText("C:\\Other\\");
    form->ListFiles.Add("C:\\new.txt");
    Command(*form, cmReadini);
    EXPECT_EQ(Caption(*form), "Pelmira : 0.0.9.5");
    EXPECT_FALSE(form->ProjectMode);
    EXPECT_EQ(form->EditBaseDir.Text(), "C:\\Base\\");
    EXPECT_EQ(form->ListFiles.Items(), TStrings{"C:\\f.txt"});
    EXPECT_EQ(form->FolderEntries.Lines(), TStrings{"C:\\D,D,*.*,1"});

    Command(*form, cmProjectMake);
    form->EditBaseDir.SetText("C:\\Other\\");
    form->CheckArchive.SetChecked(false);
    EXPECT_TRUE(Close(*form));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadFileBytes(prog + files[i]), lists[i]) << files[i];
    const TRunOptions base = ReadRunOptions(TSettingsFile(prog + "ostra.ini"));
    EXPECT_EQ(base.BaseDir, "C:\\Base\\");
    EXPECT_TRUE(base.Archive);
}

TEST_F(ProjectTest, ABaseListFileThatIsMissingReadsBackAsAnEmptyList) {
    ASSERT_TRUE(WriteFileBytes(prog + "backup.ini", "C:\\base.txt\r\n"));
    auto form = Start();
    Command(*form, cmProjectMake);
    form->ListFiles.SetItems({"C:\\project.txt"});
    form->FolderEntries.Assign({"C:\\P,P,*.*,0"});
    form->ListReg.SetItems({"HKEY_USERS\\project"});
    Command(*form, cmReadini);
    EXPECT_EQ(form->ListFiles.Items(), TStrings{"C:\\base.txt"});
    EXPECT_EQ(form->FolderEntries.Count(), 0);
    EXPECT_EQ(form->ListFol.Count(), 0);
    EXPECT_EQ(form->ListReg.Count(), 0);
    ASSERT_TRUE(Close(*form));
    EXPECT_EQ(ReadFileBytes(prog + "backfol.ini"), "");
    EXPECT_EQ(ReadFileBytes(prog + "backreg.ini"), "");
    ExpectNoBoxes();
}

TEST_F(ProjectTest, ATwentyFirstProjectIsInTheMenuAtOnceAndOnlyTwentyAfterARestart) {
    ASSERT_TRUE(::CreateDirectoryA(Project("").c_str(), nullptr));
    for (int i = 1; i <= 20; ++i) {
        std::string name = "p";
        name += std::to_string(100 + i);
        ASSERT_TRUE(WriteFileBytes(Project(name + ".lzh"), "x"));
    }
    auto form = Start();
    EXPECT_EQ(OpenProjectMenu(*form).size(), 3u + 1u + 20u);
    SaveAs(*form, "p200");
    EXPECT_EQ(OpenProjectMenu(*form).back(), "p200");
    EXPECT_EQ(form->ProjectMenuNames().size(), 21u);
    EXPECT_TRUE(Close(*form));
    form = Start();
    EXPECT_EQ(OpenProjectMenu(*form).size(), 3u + 1u + 20u);
    ExpectNoBoxes();
}

TEST_F(ProjectTest, TabMovesBetweenTheControlsOfTheDialog) {
    auto form = Start();
    Command(*form, cmProjectSave);
    TFormProject* dialog = form->ProjectForm();
    ASSERT_NE(dialog, nullptr);
    dialog->edProject.SetFocus();
    Press(*form, ::GetFocus(), VK_TAB, 0x0F);
    EXPECT_EQ(::GetFocus(), dialog->btnSaveProject.Handle());
    Press(*form, ::GetFocus(), VK_TAB, 0x0F);
    EXPECT_EQ(::GetFocus(), dialog->ListProject.Handle());
    EXPECT_TRUE(Close(*form));
    ExpectNoBoxes();
}

TEST_F(ProjectTest, WithoutTheBaseSettingsFileNoProjectIsSaved) {
    ASSERT_TRUE(::DeleteFileA((prog + "ostra.ini").c_str()));
    auto form = Start();
    Command(*form, cmProjectSave);
    ASSERT_TRUE(boxes.WaitForBoxes(1, 3000));
    EXPECT_EQ(
        boxes.Boxes()[0].text,
        "デフォルトの設定ファイルostra.ini\"が見つかりません\r\n基本設定に誤りがあるおそれがあります\r\n"
        "プロジェクト機能は基本設定が正しくなければ利用できません");
    EXPECT_FALSE(boxes.Boxes()[0].hasStopIcon);
    EXPECT_EQ(form->ProjectForm(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form->Handle()));
    EXPECT_FALSE(Exists(Project("")));
}

}  // namespace
