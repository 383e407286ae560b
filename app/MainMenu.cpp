#include "MainMenu.h"

namespace ostra {

const std::vector<TShortcut>& MainShortcuts() {
    static const std::vector<TShortcut> shortcuts = {
        {cmAddFile, 'F'},     {cmAddFolder, 'D'},   {cmBackup, 'B'},  {cmClose, 'Q'},
        {cmProjectMake, 'N'}, {cmProjectSave, 'S'}, {cmExplore, 'E'}, {cmRegEdit, 'R'},
    };
    return shortcuts;
}

namespace {

std::string WithShortcut(const char* caption, UINT command) {
    for (const auto& s : MainShortcuts())
        if (s.command == command) return std::string(caption) + "\tCtrl+" + s.key;
    return caption;
}

void Item(HMENU menu, UINT command, const char* caption) {
    ::AppendMenuA(menu, MF_STRING, command, WithShortcut(caption, command).c_str());
}

void Separator(HMENU menu) {
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

}  // namespace

TMainMenu::TMainMenu() {
    bar_ = ::CreateMenu();
    barOwned_.reset(bar_);
    HMENU file = ::CreatePopupMenu();
    Item(file, cmAddFile, "ファイルの登録(&F)");
    Item(file, cmAddFolder, "フォルダの登録(&D)");
    Item(file, cmFolUpdate, "フォルダの設定更新(&R)");
    Separator(file);
    Item(file, cmBackup, "バックアップ(&B)");
    Item(file, cmClose, "終了(&X)");
    ::AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "ファイル(&F)");

    // The separator before the project items (mProjectSep) is added with the first item; which
    // of the last two items is there is settled whenever the menu opens.
    project_ = ::CreatePopupMenu();
    Item(project_, cmProjectMake, "新規作成(&N)");
    Item(project_, cmProjectSave, "プロジェクトとして保存(&S)");
    Item(project_, cmReadini, "基本設定を読み込む(&R)");
    Item(project_, cmWriteini, "基本設定に書き込む(&W)");
    ::AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(project_), "プロジェクト(&P)");

    HMENU tools = ::CreatePopupMenu();
    Item(tools, cmExplore, "エクスプローラ(&E)");
    Item(tools, cmRegEdit, "レジストリエディタ(&R)");
    ::AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), "ツール(&T)");

    HMENU help = ::CreatePopupMenu();
    Item(help, cmHelpEx, "ヘルプ(&H)");
    Item(help, cmAbout, "バージョン情報(&A)");
    ::AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "ヘルプ(&H)");

    popup_.reset(::CreatePopupMenu());
    Item(popup_.get(), cmDelete, "リストから削除(&D)");
    Item(popup_.get(), cmClear, "リストをクリア(&C)");
    Item(popup_.get(), cmSort, "ソート(&S)");

    popReg_.reset(::CreatePopupMenu());
    Item(popReg_.get(), cmRegGet, "登録(&E)");

    popArc_.reset(::CreatePopupMenu());
    Item(popArc_.get(), cmAssociate, "関連付けで開く(&S)");
    Item(popArc_.get(), cmArchiver, "アーカイバで開く(&A)");
    Item(popArc_.get(), cmExplor, "エクスプローラ(&E)");
    Item(popArc_.get(), cmFolder, "フォルダを開く(&F)");
    Item(popArc_.get(), cmExtract, "展開...");
    Separator(popArc_.get());
    Item(popArc_.get(), cmDeleteFile, "ファイルを削除(&D)");
    Item(popArc_.get(), cmRefresh, "リフレッシュ(&R)");

    std::vector<ACCEL> table;
    for (const auto& s : MainShortcuts())
        table.push_back(
            {static_cast<BYTE>(FVIRTKEY | FCONTROL), static_cast<WORD>(s.key), static_cast<WORD>(s.command)});
    accelerators_.reset(::CreateAcceleratorTableA(table.data(), static_cast<int>(table.size())));
}

void TMainMenu::ShowBaseSettingsItems(bool projectMode) {
    ::RemoveMenu(project_, cmReadini, MF_BYCOMMAND);
    ::RemoveMenu(project_, cmWriteini, MF_BYCOMMAND);
    const UINT command = projectMode ? cmReadini : cmWriteini;
    ::InsertMenuA(project_, 2, MF_BYPOSITION | MF_STRING, command,
                  projectMode ? "基本設定を読み込む(&R)" : "基本設定に書き込む(&W)");
}

UINT TMainMenu::AddProjectItem(const std::string& name) {
    if (projectItems_ == 0) Separator(project_);
    const UINT command = cmProjectItemFirst + static_cast<UINT>(projectItems_++);
    // "&" in a name is shown as itself, not as the mark of a mnemonic.
    std::string caption;
    for (char c : name) caption += c == '&' ? std::string("&&") : std::string(1, c);
    ::AppendMenuA(project_, MF_STRING, command, caption.c_str());
    return command;
}

}  // namespace ostra
