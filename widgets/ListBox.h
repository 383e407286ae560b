// A list box of text rows, several selected rows allowed, optionally kept in sorted order.
#pragma once

#include <string>
#include <vector>

#include "Control.h"

namespace widgets {

// The order of sorted rows: ascending, letter case ignored, after the user's locale.
int CompareListText(const std::string& a, const std::string& b);

class TListBox : public TControl {
  public:
    bool Create(HWND parent, bool multiSelect = true);

    int Count() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    // Replaces every row (in sorted mode the rows are put in order).
    void SetItems(const std::vector<std::string>& items);
    // Appends the row or, in sorted mode, puts it after the rows that sort before or alike;
    // returns its index.
    int Add(const std::string& text);
    // Puts the row at index, sorted mode or not.
    void Insert(int index, const std::string& text);
    void Delete(int index);
    void Clear();

    // The row with the caret (the current row), -1 when the list is empty.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int SelectedCount() const;
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    // The selected rows, first to last.
    std::vector<int> SelectedRows() const;

    // Sorted mode: the rows are ordered at once, and every later row goes to its place.
    void SetSorted(bool sorted);
    bool Sorted() const { return sorted_; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    bool HandleCommand(WPARAM wp) override;

  protected:
    // Below the current row, when there is one.
    POINT KeyboardMenuPoint() const override;

  private:
    // Widens the horizontal scroll range to the widest row, so that a long path can be read.
    void FitExtent(const std::string& text);
    bool multi_ = true;
    bool sorted_ = false;
};

}  // namespace widgets
