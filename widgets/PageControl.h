// Tabs over pages: each page is a child window of the tab control that holds the page's
// controls and lays them out by its own anchor table when its size changes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AnchorLayout.h"
#include "Control.h"
#include "Window.h"

namespace widgets {

class TTabSheet : public TWindow {
  public:
    bool Create(HWND tabControl);
    TAnchorLayout& Layout() { return layout_; }
    int Tag = 0;  // free for the owner, e.g. "filled since start-up"

  private:
    TAnchorLayout layout_;
};

class TPageControl : public TControl {
  public:
    bool Create(HWND parent);
    TTabSheet& AddPage(const std::string& caption);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet& Page(int index) { return *pages_[static_cast<size_t>(index)]; }
    std::string PageCaption(int index) const;

    int ActivePageIndex() const;
    // Shows the page without raising OnChange (as a program's own choice of page does not).
    void SetActivePageIndex(int index);

    void SetBounds(int x, int y, int width, int height) override;
    TNotifyEvent OnChange;
    bool HandleNotify(NMHDR* nm, LRESULT& result) override;

  private:
    void ShowActivePage();
    std::vector<std::unique_ptr<TTabSheet>> pages_;
};

}  // namespace widgets
