// The project commands of the main window: the project menu and its items, the project dialog,
// switching between a project and the base configuration. What is saved and read lives in
// Projects; here the window changes only once a save or load has succeeded.
#include <exception>

#include "FileSystem.h"
#include "FormMain.h"
#include "MessageBoxes.h"
#include "Projects.h"
#include "SettingsFile.h"
#include "ostra_consts.h"

namespace ostra {

namespace {

constexpr const char* kNoBaseSettings =
    "デフォルトの設定ファイルostra.ini\"が見つかりません\r\n基本設定に誤りがあるおそれがあります\r\n"
    "プロジェクト機能は基本設定が正しくなければ利用できません";
constexpr const char* kNewProjectCaption = "Ostra -新規プロジェクト-";

}  // namespace

TFormProject* TFormMain::ProjectForm() const {
    return projectForm_ && projectForm_->IsOpen() ? projectForm_.get() : nullptr;
}

void TFormMain::CloseProjectForm() {
    if (ProjectForm()) projectForm_->Close();
}

void TFormMain::mProjectClick() {
    if (!projectMenuFilled_) {
        PopulateProjectMenu();
        projectMenuFilled_ = true;
    }
    menu_.ShowBaseSettingsItems(ProjectMode);
}

void TFormMain::PopulateProjectMenu() {
    for (const std::string& name : ListProjects(AppDir, kMaxProjectMenuItems)) AddProjectMenuItem(name);
}

void TFormMain::AddProjectMenuItem(const std::string& name) {
    const UINT command = menu_.AddProjectItem(name);
    projectItems_.push_back(name);
    OnCommand(command, [this, name] { mProjectItemClick(name); });
}

void TFormMain::mProjectMakeClick() {
    if (ProjectForm() || running_)
        return;  // the dialog holds the configuration being saved; a run reads the lists
    ::SetWindowTextA(Handle(), kNewProjectCaption);
    ListFiles.Clear();
    FolderEntries.Clear();
    ListReg.Clear();
    Pages.SetActivePageIndex(TabBackup);
    ProjectMode = true;
}

void TFormMain::mProjectSaveClick() {
    if (ProjectForm() || running_) return;
    if (!FileExists(AppDir + kIniFile)) {
        ShowInfoBox(Handle(), kNoBaseSettings);
        return;
    }
    ::EnableWindow(Handle(), FALSE);
    try {
        if (tb97Main.Down(tbOnTopId)) {
            tb97Main.SetDown(tbOnTopId, false);
            tbOnTopClick();
        }
        WriteProjectWorkFiles(AppDir, {CurrentRunOptions(), CurrentLists()});
        RECT r{};
        ::GetWindowRect(Handle(), &r);
        projectForm_ = std::make_unique<TFormProject>(AppDir, Handle());
        projectForm_->OnSaveProject = [this](const std::string& name) { SaveProject(name); };
        if (!projectForm_->Create(r.left + 50, r.top + 100, font_.get()))
            throw std::runtime_error("プロジェクトのウィンドウを作成できません");
        ::ShowWindow(projectForm_->Handle(), SW_SHOW);
        projectForm_->edProject.SetFocus();
    } catch (const std::exception& e) {
        CloseProjectForm();
        DeleteProjectWorkFiles(AppDir);
        ::EnableWindow(Handle(), TRUE);
        ShowErrorBox(Handle(), e.what());
    }
}

void TFormMain::SaveProject(const std::string& name) {
    TFormProject* form = ProjectForm();
    if (!form) return;  // the work files go with the dialog
    const std::string refusal = ProjectNameRefusal(name);
    if (!refusal.empty()) {
        ShowErrorBox(form->Handle(), refusal);  // the dialog stays for another name
        return;
    }
    ::ShowWindow(form->Handle(), SW_HIDE);
    try {
        PackProject(Handle(), AppDir, name);
    } catch (const std::exception& e) {
        // Caption, menu and mode stay: the configuration is still the window's own.
        form->Close();
        ShowErrorBox(Handle(), e.what());
        return;
    }
    // The menu is filled first, so that filling it later adds no second item of this name.
    if (!projectMenuFilled_) {
        PopulateProjectMenu();
        projectMenuFilled_ = true;
    }
    bool listed = false;
    for (const std::string& item : projectItems_)
        listed = listed || ::lstrcmpiA(item.c_str(), name.c_str()) == 0;
    if (!listed) AddProjectMenuItem(name);
    ::SetWindowTextA(Handle(), ("Ostra -" + name + "-").c_str());
    form->Close();
    ProjectMode = true;
}

void TFormMain::mProjectItemClick(const std::string& name) {
    if (ProjectForm() || running_ || !FileExists(ProjectArchivePath(AppDir, name))) return;
    TProjectData project;
    try {
        project = ReadProject(Handle(), AppDir, name);
    } catch (const std::exception& e) {
        ShowErrorBox(Handle(), e.what());
        return;
    }
    ProjectMode = true;
    ::SetWindowTextA(Handle(), (std::string(kMainCaption) + " - " + name + "-").c_str());
    ApplyRunOptions(project.Options);
    ListFiles.SetItems(project.Lists.Files);
    ListReg.SetItems(project.Lists.Registry);
    FolderEntries.Assign(project.Lists.FolderEntries);
    RefreshArchiveList();
}

void TFormMain::mReadiniClick() {
    if (ProjectForm() || running_) return;
    ApplyRunOptions(ReadRunOptions(TSettingsFile(AppDir + kIniFile)));
    // A base list file that is missing is an empty base list: the project's list kept here would
    // be written into the base files at closing, and backed up by ostrun.
    TMainLists lists;
    LoadMainLists(AppDir, lists);
    ListFiles.SetItems(lists.Files);
    ListReg.SetItems(lists.Registry);
    FolderEntries.Assign(lists.FolderEntries);
    ::SetWindowTextA(Handle(), kMainCaption);
    RefreshArchiveList();
    ProjectMode = false;
}

void TFormMain::mWriteiniClick() {
    SaveSettings();
}

}  // namespace ostra
