#include "FormProject.h"

#include "MessageBoxes.h"
#include "Projects.h"

namespace ostra {

namespace {
constexpr const char* kFormClass = "TFormProject";
}  // namespace

TFormProject::TFormProject(std::string appDir, HWND owner) : appDir_(std::move(appDir)), owner_(owner) {}

TFormProject::~TFormProject() {
    if (IsOpen()) Close();
}

bool TFormProject::Create(int left, int top, HFONT font) {
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, kProjectClientWidth, kProjectClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    if (!CreateHandle(kFormClass, exStyle, style, kProjectCaption, left, top, frame.right - frame.left,
                      frame.bottom - frame.top, owner_))
        return false;
    const HWND p = Handle();
    lblName.Create(p, "プロジェクト名を指定して下さい。");
    edProject.Create(p);
    btnSaveProject.Create(p, "保存");
    lblList.Create(p, "プロジェクト一覧");
    ListProject.Create(p, false);
    lblName.SetBounds(6, 6, 189, 14);
    edProject.SetBounds(6, 24, 141, 22);
    btnSaveProject.SetBounds(151, 24, 44, 22);
    lblList.SetBounds(6, 52, 189, 14);
    ListProject.SetBounds(6, 70, 189, 86);
    for (widgets::TControl* c : std::initializer_list<widgets::TControl*>{
             &lblName, &edProject, &btnSaveProject, &lblList, &ListProject})
        c->SetFont(font);
    Hints.Create(p);
    Hints.Set(btnSaveProject.Handle(), "プロジェクトを保存します");

    On(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        Close();
        return 0;
    });
    ListProject.OnClick = [this] { ListProjectClick(); };
    ListProject.OnKeyDown = [this](WORD& key) { ListProjectKeyDown(key); };
    edProject.OnKeyPress = [this](char& key) { edProjectKeyPress(key); };
    btnSaveProject.OnClick = [this] { btnSaveProjectClick(); };
    FormCreate();
    return true;
}

void TFormProject::FormCreate() {
    ListProject.SetItems(ListProjects(appDir_));
}

void TFormProject::ListProjectClick() {
    const int row = ListProject.ItemIndex();
    if (row >= 0 && ListProject.Selected(row)) edProject.SetText(ListProject.Item(row));
}

void TFormProject::ListProjectKeyDown(WORD& key) {
    if (key != VK_DELETE) return;
    const int row = ListProject.ItemIndex();
    if (row < 0 || !ListProject.Selected(row)) return;
    const std::string path = ProjectArchivePath(appDir_, ListProject.Item(row));
    // A project whose archive stays (in use, read-only) stays in the list.
    if (!::DeleteFileA(path.c_str()) && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        ShowErrorBox(Handle(), path + " を削除できません");
        return;
    }
    ListProject.Delete(row);
}

void TFormProject::edProjectKeyPress(char& key) {
    if (key != '\r') return;
    key = 0;  // no beep: Enter is the save
    btnSaveProjectClick();
}

void TFormProject::btnSaveProjectClick() {
    const std::string name = edProject.Text();
    if (!name.empty() && OnSaveProject) OnSaveProject(name);
}

bool TFormProject::FormCloseQuery() {
    DeleteProjectWorkFiles(appDir_);
    ::EnableWindow(owner_, TRUE);
    return true;
}

void TFormProject::Close() {
    if (!IsOpen()) return;
    FormCloseQuery();
    // The owner comes to the front again, not some other program's window.
    if (::GetActiveWindow() == Handle()) ::SetActiveWindow(owner_);
    DestroyHandle();
}

}  // namespace ostra
