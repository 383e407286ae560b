// A report-style list view whose rows the program keeps (LVS_OWNERDATA): the control asks for the
// texts of the rows it paints, so that thousands of rows are put in with one message, where a
// list that holds its own rows takes two messages (and, under Wine, a measuring and a scroll
// update) per row.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Control.h"

namespace widgets {

class TVirtualListView : public TControl {
  public:
    // The caption, then the texts of the further columns (missing ones are empty).
    using TRow = std::vector<std::string>;

    bool Create(HWND parent, bool multiSelect = true);

    void AddColumn(const std::string& caption, int width);
    void SetColumnCaption(int column, const std::string& caption);
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);

    int Count() const { return static_cast<int>(rows_.size()); }
    // Replaces every row; nothing stays selected.
    void SetRows(std::vector<TRow> rows);
    int Add(const std::string& caption);
    void SetSubItem(int row, int column, const std::string& text);
    std::string Caption(int row) const { return SubItem(row, 0); }
    std::string SubItem(int row, int column) const;
    void Clear();

    int SelectedCount() const;
    void SetSelected(int row, bool selected);
    // The selected rows in row order.
    std::vector<int> SelectedRows() const;

    bool HandleNotify(NMHDR* nm, LRESULT& result) override;

  protected:
    // The menu key opens the menu below the focused row when it is selected, else the first
    // selected row.
    POINT KeyboardMenuPoint() const override;

  private:
    const std::string& TextOf(int row, int column) const;
    // The row, from start on (wrapping round), whose caption begins with text; -1 without one.
    int FindRow(const std::string& text, int start) const;
    std::vector<TRow> rows_;
    int columns_ = 0;
};

}  // namespace widgets
