// TFormPlus, the detail window ("詳細情報"): beside the main window it shows a registered file's
// text, the files a registered folder would back up, a registry key's values, an archive's
// entries and, during a run, the run's log. It holds two controls filling its client area, one
// visible at a time; what goes into them is decided by the main window (DetailContent).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ListView.h"
#include "LogAndStop.h"
#include "MainSettings.h"
#include "Memo.h"
#include "Window.h"

namespace ostra {

inline constexpr const char* kDetailCaption = "詳細情報";
inline constexpr const char* kDetailDataColumn = "データ";
inline constexpr const char* kDetailSizeColumn = "格納サイズ";

class TFormPlus : public widgets::TWindow {
  public:
    TFormPlus() = default;

    // Makes the window, owned by owner, at left, top with the stored size and column widths; it
    // shows the text box until told otherwise and stays hidden until Show.
    bool Create(HWND owner, HFONT font, int left, int top, const TDetailGeometry& geometry);
    void Show();
    // As the user closes it: asks OnCloseQuery, then runs OnClose (FormClose) and goes.
    void Close();

    widgets::TListView ListRegItem;
    widgets::TMemo Edit;

    // One of the two controls is shown, the other hidden.
    void ShowEdit();
    void ShowList();

    // Size and column widths as they are now, as [Key] stores them.
    TDetailGeometry Geometry() const;

    // False keeps the window open (during a run its text box is the log).
    std::function<bool()> OnCloseQuery;
    std::function<void()> OnClose;

  private:
    void FormResize();
};

// The run's log shown line by line in the detail window's text box, painted as each line comes
// (a long step after a line leaves no time to paint).
class TMemoLog : public TLogSink {
  public:
    explicit TMemoLog(widgets::TMemo& memo) : memo_(memo) {}
    void AddLine(const std::string& line) override;

  private:
    widgets::TMemo& memo_;
};

}  // namespace ostra
