// TFormPlus, the detail window ("詳細情報"): beside the main window it shows a registered file's
// text, the files a registered folder would back up, a registry key's values, an archive's
// entries and, during a run, the run's log. It holds two controls filling its client area, one
// visible at a time; what goes into them is decided by the main window (DetailContent).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "GdiHandles.h"
#include "LogAndStop.h"
#include "MainSettings.h"
#include "Memo.h"
#include "StringLists.h"
#include "VirtualListView.h"
#include "Window.h"

namespace ostra {

inline constexpr const char* kDetailCaption = "詳細情報";
inline constexpr const char* kDetailDataColumn = "データ";
inline constexpr const char* kDetailSizeColumn = "格納サイズ";
inline constexpr const char* kExtractChosenCaption = "選択したファイルを展開...";

class TFormPlus : public widgets::TWindow {
  public:
    TFormPlus() = default;

    // Makes the window, owned by owner, at left, top with the stored size and column widths; it
    // shows the text box until told otherwise and stays hidden until Show.
    bool Create(HWND owner, HFONT font, int left, int top, const TDetailGeometry& geometry);
    void Show();
    // As the user closes it: asks OnCloseQuery, then runs OnClose (FormClose) and goes.
    void Close();

    // Its rows are the window's own: an archive of thousands of entries goes in at once.
    widgets::TVirtualListView ListRegItem;
    widgets::TMemo Edit;

    // One of the two controls is shown, the other hidden.
    void ShowEdit();
    void ShowList();

    // The archive whose entries the list shows, empty while it shows anything else. Only then
    // does a right click on the list offer kExtractChosenCaption (grayed with no row selected),
    // which the owner window is sent as the command cmExtractChosen.
    std::string EntriesArchive;
    // The names of the selected rows, in row order.
    TStrings SelectedNames() const;

    // Size and column widths as they are now, as [Key] stores them.
    TDetailGeometry Geometry() const;

    // False keeps the window open (during a run its text box is the log).
    std::function<bool()> OnCloseQuery;
    std::function<void()> OnClose;

  private:
    void FormResize();
    void ShowEntriesMenu(POINT at);
    widgets::MenuHandle entriesMenu_;
};

// The run's log in the detail window's text box. Each change of the text box costs as much as
// the whole of many lines (under Wine it measures and paints anew: tens of milliseconds when the
// machine is busy), so lines that come fast are gathered and shown together, at most a few
// times a second; a line after a quiet spell, and the first line of a step, are shown at once (a
// long pack starts after its "アーカイブファイルの作成開始..." is on the screen).
class TMemoLog : public TLogSink {
  public:
    // clock: milliseconds since some start (the system's tick count; tests give their own).
    explicit TMemoLog(widgets::TMemo& memo, std::function<ULONGLONG()> clock = &::GetTickCount64)
        : memo_(memo), clock_(std::move(clock)) {}
    void AddLine(const std::string& line) override;
    // Shows the lines gathered when it is time to (called between the items of a step).
    void FlushDue();
    // Shows every line gathered, now.
    void Flush();
    // A step begins: its first line is shown at once.
    void ShowNextLineAtOnce() { nextAtOnce_ = true; }

    // The shortest time between two showings, and how many times a showing's own cost it is at
    // least (the log costs the run no more than an eighth of its time).
    static constexpr ULONGLONG kMinInterval = 250;
    static constexpr ULONGLONG kCostFactor = 8;

  private:
    widgets::TMemo& memo_;
    std::function<ULONGLONG()> clock_;
    std::string pending_;
    ULONGLONG lastShown_ = 0;
    ULONGLONG interval_ = kMinInterval;
    bool nextAtOnce_ = true;
};

}  // namespace ostra
