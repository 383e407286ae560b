// The folder-browse dialog: its title, its initial folder, and the user's answer.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "FolderDialog.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

using testing_support::BoxWatchdog;
using testing_support::TempDir;

namespace {

std::string SelectedTreeText(HWND dialog) {
    HWND tree = ::FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
    HTREEITEM item = tree ? TreeView_GetSelection(tree) : nullptr;
    char text[MAX_PATH] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    if (!item || !::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return {};
    return text;
}

}  // namespace

TEST(FolderDialog, ShowsTheTitleStartsAtTheInitialFolderAndReturnsTheChoice) {
    TempDir dir;
    const std::string folder = dir / "基準フォルダ";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    // Pressed once the dialog's tree shows the initial folder selected (under load that comes late).
    BoxWatchdog ok(IDOK, 60000, [](HWND dialog) { return SelectedTreeText(dialog) == "基準フォルダ"; });
    // The folder is given with a trailing backslash, as the edits hold it.
    auto chosen = widgets::BrowseForFolder(nullptr, "基準（バックアップ先）フォルダの指定", folder + "\\");
    ok.Stop();
    ASSERT_EQ(ok.Boxes().size(), 1u);
    const auto statics = ok.Boxes()[0].statics;
    EXPECT_NE(std::find(statics.begin(), statics.end(), "基準（バックアップ先）フォルダの指定"),
              statics.end());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(lstrcmpiA(chosen->c_str(), folder.c_str()), 0) << *chosen;
}

TEST(FolderDialog, CancelReturnsNothing) {
    BoxWatchdog cancel(IDCANCEL);
    auto chosen = widgets::BrowseForFolder(nullptr, "t", "C:\\");
    cancel.Stop();
    EXPECT_EQ(cancel.Boxes().size(), 1u);
    EXPECT_FALSE(chosen.has_value());
}
