#include "MainLayout.h"

#include "ArchivePruning.h"

namespace ostra {

using namespace widgets;

namespace {

// The pages are designed for the page area of the smallest window (375 × 400); controls keep
// their distances to the edges they are anchored to when the window grows.
constexpr int W = 359;  // page width at the smallest window
constexpr int H = 283;  // page height at the smallest window

void Hint(TMainControls& c, HWND control, const char* text) {
    c.Hints.Set(control, text);
}

void BuildFilesPage(TMainControls& c, HFONT font) {
    TTabSheet& page = c.Page(TabBackup);
    c.ListFiles.Create(page.Handle());
    c.ListFiles.SetFont(font);
    page.Layout().SetDesignSize(W, H);
    page.Layout().AddAligned(c.ListFiles, TAlign::alClient, 0, 4);
}

void BuildFolderPage(TMainControls& c, HFONT font, HICON updateGlyph) {
    TTabSheet& page = c.Page(TabFol);
    HWND p = page.Handle();
    c.grpFolderSetting.Create(p, "フォルダ設定");
    c.lblTitle.Create(p, "タイトル　：");
    c.EditTitle.Create(p);
    c.lblFilter.Create(p, "フィルタ　：");
    c.EditFilter.Create(p, "*.*");
    c.CheckSubFol.Create(p, "サブフォルダも含める");
    c.tbFolUpdate.Create(p, "", BS_PUSHBUTTON | BS_ICON);
    ::SendMessageA(c.tbFolUpdate.Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(updateGlyph));
    Hint(c, c.tbFolUpdate.Handle(), "フォルダの設定更新");
    c.ListFol.Create(p);
    for (TControl* ctl :
         std::initializer_list<TControl*>{&c.grpFolderSetting, &c.lblTitle, &c.EditTitle, &c.lblFilter,
                                          &c.EditFilter, &c.CheckSubFol, &c.ListFol})
        ctl->SetFont(font);
    TAnchorLayout& l = page.Layout();
    l.SetDesignSize(W, H);
    const int g = H - 88;  // top of the settings group
    l.Add(c.ListFol, 4, 4, W - 8, g - 8, akAll);
    l.Add(c.grpFolderSetting, 4, g, W - 8, 84, akLeft | akRight | akBottom);
    l.Add(c.lblTitle, 14, g + 21, 72, 16, akLeft | akBottom);
    l.Add(c.EditTitle, 88, g + 18, W - 88 - 50, 21, akLeft | akRight | akBottom);
    l.Add(c.lblFilter, 14, g + 45, 72, 16, akLeft | akBottom);
    l.Add(c.EditFilter, 88, g + 42, W - 88 - 50, 21, akLeft | akRight | akBottom);
    l.Add(c.CheckSubFol, 88, g + 64, 200, 18, akLeft | akBottom);
    l.Add(c.tbFolUpdate, W - 44, g + 18, 32, 45, akRight | akBottom);
}

void BuildRegistryPage(TMainControls& c, HFONT font) {
    TTabSheet& page = c.Page(TabReg);
    c.RegView.Create(page.Handle());
    c.ListReg.Create(page.Handle());
    c.RegView.SetFont(font);
    c.ListReg.SetFont(font);
    TAnchorLayout& l = page.Layout();
    l.SetDesignSize(W, H);
    l.AddAligned(c.RegView, TAlign::alTop, kMinTreeHeight, 4);
    l.AddAligned(c.ListReg, TAlign::alClient, 0, 4);
}

void BuildSettingsPage(TMainControls& c, HFONT font) {
    TTabSheet& page = c.Page(TabOption);
    HWND p = page.Handle();
    c.grpBaseDir.Create(p, "フォルダ設定");
    c.lblBaseDir.Create(p, "基準（バックアップ先）");
    c.EditBaseDir.Create(p);
    c.lblArcDir.Create(p, "圧縮ファイル保存先");
    c.EditArcDir.Create(p);
    c.grpBackup.Create(p, "バックアップ設定");
    c.CheckTimestamp.Create(p, "更新されたファイルのみバックアップ");
    c.grpArchive.Create(p, "圧縮ファイル設定");
    c.CheckArchive.Create(p, "ファイルを圧縮する（要UNLHA32.DLL）");
    c.RadioArchive.Create(p, "lzh圧縮形式", {"lh5", "lh6", "lh7"}, 3);
    c.RadioArcName.Create(p, "名前の付け方", {"簡易", "詳細"}, 2);
    c.CheckArcProgress.Create(p, "圧縮の進捗ダイアログ表示");
    c.lblKeepArchives.Create(p, "残す書庫の数", SS_RIGHT);
    c.EditKeepArchives.Create(p, 0, ostra::kMaxKeepArchives);
    c.CheckDeleteFiles.Create(p, "アーカイブ作成後、基準フォルダ内ファイルをすべて削除", true);
    c.grpDelete.Create(p, "");
    c.chkDelConfirm.Create(p, "削除前に確認");
    c.chkDelUseRecycleBin.Create(p, "ごみ箱を利用");
    c.chkDelShowDialog.Create(p, "進捗ダイアログ表示");
    c.RadioArchive.SetItemIndex(0);
    c.RadioArcName.SetItemIndex(0);
    for (TControl* ctl : std::initializer_list<TControl*>{
             &c.grpBaseDir, &c.lblBaseDir, &c.EditBaseDir, &c.lblArcDir, &c.EditArcDir, &c.grpBackup,
             &c.CheckTimestamp, &c.grpArchive, &c.CheckArchive, &c.RadioArchive, &c.RadioArcName,
             &c.CheckArcProgress, &c.lblKeepArchives, &c.EditKeepArchives, &c.CheckDeleteFiles, &c.grpDelete,
             &c.chkDelConfirm, &c.chkDelUseRecycleBin, &c.chkDelShowDialog})
        ctl->SetFont(font);

    Hint(c, c.EditBaseDir.ButtonHandle(), "基準（バックアップ先）フォルダの指定");
    Hint(c, c.EditArcDir.ButtonHandle(), "圧縮ファイル保存先フォルダの指定");
    Hint(c, c.CheckTimestamp.Handle(),
         "バックアップ元とパックアップ先ファイルのタイムスタンプを比較し、\r\n"
         "バックアップ元の方が更新日時が新しいときのみファイルのコピーを行います");
    const char* archiveHint =
        "数値が大きいほど圧縮率が高くなります\r\n一般的にはlh5が利用されることが多いです";
    const char* nameHint =
        "ファイル名はアーカイブ作成日時で付けられます\r\n\r\n  ・簡易    2005_0101_000.lzh\r\n\r\n"
        "  ・詳細    2005年01月01日00時00分.lzh|";
    Hint(c, c.RadioArchive.Handle(), archiveHint);
    for (int i = 0; i < c.RadioArchive.ItemCount(); ++i) Hint(c, c.RadioArchive.ButtonHandle(i), archiveHint);
    Hint(c, c.RadioArcName.Handle(), nameHint);
    for (int i = 0; i < c.RadioArcName.ItemCount(); ++i) Hint(c, c.RadioArcName.ButtonHandle(i), nameHint);
    Hint(c, c.CheckArcProgress.Handle(),
         "圧縮処理時、処理の進捗ダイアログを表示します\r\n\r\n圧縮処理のキャンセルは進捗ダイアログ上でしか行"
         "えません\r\n"
         "圧縮のキャンセルを可能にしたい方はチェックして下さい|");
    const char* keepHint =
        "圧縮ファイル保存先に残す書庫の数です\r\n（今回作成した書庫も数えます）\r\n\r\n"
        "バックアップがすべて成功し、書庫を読み戻せたとき、\r\nこれを超える古い書庫を削除します\r\n\r\n"
        "  ・0 のときは、すべての書庫を残します\r\n"
        "  ・「ごみ箱を利用」のときは、ごみ箱へ移します|";
    Hint(c, c.lblKeepArchives.Handle(), keepHint);
    Hint(c, c.EditKeepArchives.Handle(), keepHint);
    Hint(c, c.EditKeepArchives.UpDownHandle(), keepHint);
    Hint(c, c.CheckDeleteFiles.Handle(),
         "アーカイブ作成後、基準フォルダ内のファイルを全て削除します\r\n\r\n"
         "ファイルの削除が伴いますので、内容を理解した上で設定してください|");
    Hint(c, c.chkDelConfirm.Handle(), "削除実行前に、削除処理を行うか確認を行います|");
    Hint(c, c.chkDelUseRecycleBin.Handle(), "削除の際、ごみ箱を利用します。\r|");
    Hint(c, c.chkDelShowDialog.Handle(),
         "削除処理進捗ダイアログを表示します。\r進捗ダイアログより削除処理のキャンセルが可能です。|");

    TAnchorLayout& l = page.Layout();
    l.SetDesignSize(W, H);
    const int gx = 4, gw = W - 8, right = gx + gw - 8;
    // フォルダ設定: a label and an edit per row.
    l.Add(c.grpBaseDir, gx, 0, gw, 66, akTopWide);
    l.Add(c.lblBaseDir, 12, 20, 146, 16);
    l.Add(c.EditBaseDir, 160, 17, right - 160, 21, akTopWide);
    l.Add(c.lblArcDir, 12, 43, 146, 16);
    l.Add(c.EditArcDir, 160, 40, right - 160, 21, akTopWide);
    // バックアップ設定
    l.Add(c.grpBackup, gx, 68, gw, 38, akTopWide);
    l.Add(c.CheckTimestamp, 12, 84, right - 12, 18, akTopWide);
    // 圧縮ファイル設定
    l.Add(c.grpArchive, gx, 108, gw, 173, akTopWide);
    l.Add(c.CheckArchive, 12, 123, right - 12, 18, akTopWide);
    l.Add(c.RadioArchive, 12, 142, 164, 38);
    l.Add(c.RadioArcName, 182, 142, right - 182, 38, akTopWide);
    // The progress box and, at the right of the same row, the number of archives to keep.
    const int spin = 50, keepLabel = 84, keepLeft = right - spin - 2 - keepLabel;
    l.Add(c.CheckArcProgress, 12, 183, keepLeft - 4 - 12, 18, akTopWide);
    l.Add(c.lblKeepArchives, keepLeft, 186, keepLabel, 16, akTop | akRight);
    l.Add(c.EditKeepArchives, right - spin, 182, spin, 20, akTop | akRight);
    l.Add(c.CheckDeleteFiles, 12, 201, right - 12, 30, akTopWide);
    l.Add(c.grpDelete, 28, 229, right - 28, 48, akTopWide);
    l.Add(c.chkDelConfirm, 36, 239, 120, 18);
    l.Add(c.chkDelUseRecycleBin, 160, 239, 120, 18);
    l.Add(c.chkDelShowDialog, 36, 257, 180, 18);
}

void BuildArchivePage(TMainControls& c, HFONT font) {
    TTabSheet& page = c.Page(TabArchive);
    HWND p = page.Handle();
    c.ListView.Create(p);
    c.ListView.AddColumn("ファイル名", kMinWidth - 30);
    c.RadioArcCtrl.Create(p, "ダブルクリック時の動作",
                          {"関連づけ", "アーカイバ", "エクスプローラ", "フォルダを開く"}, 2);
    c.RadioArcCtrl.SetItemIndex(0);
    c.grpArchiver.Create(p, "アーカイバの設定");
    c.EditArchiver.Create(p);
    for (TControl* ctl :
         std::initializer_list<TControl*>{&c.ListView, &c.RadioArcCtrl, &c.grpArchiver, &c.EditArchiver})
        ctl->SetFont(font);
    TAnchorLayout& l = page.Layout();
    l.SetDesignSize(W, H);
    // The panel of fixed height 98 at the bottom: the double-click choice and the archiver.
    const int panel = H - 98;
    l.Add(c.ListView, 4, 4, W - 8, panel - 6, akAll);
    l.Add(c.RadioArcCtrl, 4, panel, W - 8, 54, akLeft | akRight | akBottom);
    l.Add(c.grpArchiver, 4, panel + 54, W - 8, 42, akLeft | akRight | akBottom);
    l.Add(c.EditArchiver, 12, panel + 70, W - 24, 21, akLeft | akRight | akBottom);
}

}  // namespace

void BuildMainLayout(TMainControls& c, HWND form, HFONT font, HICON folderUpdateGlyph) {
    c.Hints.Create(form);
    c.tb97Main.Create(form, c.Hints, "GLYPHS");
    c.tb97Main.SetFont(font);
    c.Pages.Create(form);
    c.Pages.SetFont(font);
    for (const char* caption : {"ファイル登録", "フォルダ登録", "レジストリ登録", "設定", "アーカイブ"})
        c.Pages.AddPage(caption);
    BuildFilesPage(c, font);
    BuildFolderPage(c, font, folderUpdateGlyph);
    BuildRegistryPage(c, font);
    BuildSettingsPage(c, font);
    BuildArchivePage(c, font);
}

void LayoutMainWindow(TMainControls& c, int clientWidth, int clientHeight) {
    const int bar = c.tb97Main.RowHeight();
    c.tb97Main.SetBounds(0, 0, clientWidth, bar);
    c.Pages.SetBounds(2, bar + 1, clientWidth - 4, clientHeight - bar - 3);
}

int HalfRoundedToEven(int numerator) {
    int q = numerator / 2, r = numerator % 2;
    if (r == 0) return q;
    // Exactly a half: to the even neighbour.
    int lower = numerator < 0 ? q - 1 : q;
    return (lower % 2 == 0) ? lower : lower + 1;
}

TMainSize MainResizeRule(int width, int height) {
    TMainSize s{width, height, kMinTreeHeight, 0};
    if (height <= kMinHeight) {
        s.Height = kMinHeight;
        s.TreeHeight = kMinTreeHeight;
    } else {
        s.TreeHeight = HalfRoundedToEven(height - kMinHeight) + kMinTreeHeight;
    }
    if (width < kMinWidth) s.Width = kMinWidth;
    s.ColumnWidth = s.Width - 30;
    return s;
}

}  // namespace ostra
