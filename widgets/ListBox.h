// A list box of text rows, several selected rows allowed.
#pragma once

#include <string>
#include <vector>

#include "Control.h"

namespace widgets {

class TListBox : public TControl {
  public:
    bool Create(HWND parent, bool multiSelect = true);

    int Count() const;
    std::string Item(int index) const;
    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& items);
    int Add(const std::string& text);
    void Insert(int index, const std::string& text);
    void Delete(int index);
    void Clear();

    // The row with the caret (the current row), -1 when the list is empty.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int SelectedCount() const;
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    bool HandleCommand(WPARAM wp) override;

  private:
    // Widens the horizontal scroll range to the widest row, so that a long path can be read.
    void FitExtent(const std::string& text);
    bool multi_ = true;
};

}  // namespace widgets
