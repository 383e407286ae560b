// A report-style list view: columns, rows with a caption, sub-item texts and a small image.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Control.h"

namespace widgets {

class TListView : public TControl {
  public:
    bool Create(HWND parent, bool multiSelect = true);

    void AddColumn(const std::string& caption, int width);
    void SetColumnCaption(int column, const std::string& caption);
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // Small images of the rows; the list does not own them.
    void SetSmallImages(HIMAGELIST images);

    int Count() const;
    int Add(const std::string& caption, int image = -1);
    void SetSubItem(int row, int column, const std::string& text);
    std::string Caption(int row) const;
    std::string SubItem(int row, int column) const;
    void Delete(int row);
    void Clear();
    // Orders the rows by caption, ascending, without regard to letter case.
    void SortByCaption();

    int SelectedCount() const;
    bool Selected(int row) const;
    void SetSelected(int row, bool selected);
    // The selected rows, first to last.
    std::vector<int> SelectedRows() const;
    // The focused row, -1 without one.
    int ItemIndex() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    bool HandleNotify(NMHDR* nm, LRESULT& result) override;

  protected:
    // Below the current row, when there is one.
    POINT KeyboardMenuPoint() const override;

  private:
    int columns_ = 0;
};

}  // namespace widgets
