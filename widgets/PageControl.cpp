#include "PageControl.h"

#include <windows.h>
#include <commctrl.h>

namespace widgets {

bool TTabSheet::Create(HWND tabControl) {
    if (!CreateHandle("PelmiraTabSheet", WS_EX_CONTROLPARENT, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                      "", 0, 0, 0, 0, tabControl))
        return false;
    On(WM_SIZE, [this](WPARAM, LPARAM lp) -> LRESULT {
        layout_.Apply(LOWORD(lp), HIWORD(lp));
        return 0;
    });
    return true;
}

bool TPageControl::Create(HWND parent) {
    if (!CreateControl(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "",
                       WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, parent))
        return false;
    // Narrow margins beside the captions, so that five tabs fit the smallest window side by side.
    ::SendMessageA(Handle(), TCM_SETPADDING, 0, MAKELPARAM(4, 3));
    return true;
}

TTabSheet& TPageControl::AddPage(const std::string& caption) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    ::SendMessageA(Handle(), TCM_INSERTITEMA, pages_.size(), reinterpret_cast<LPARAM>(&item));
    auto page = std::make_unique<TTabSheet>();
    page->Create(Handle());
    pages_.push_back(std::move(page));
    ShowActivePage();
    return *pages_.back();
}

std::string TPageControl::PageCaption(int index) const {
    char buf[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    ::SendMessageA(Handle(), TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return buf;
}

int TPageControl::ActivePageIndex() const {
    return TabCtrl_GetCurSel(Handle());
}

void TPageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount()) return;
    TabCtrl_SetCurSel(Handle(), index);
    ShowActivePage();
}

void TPageControl::ShowActivePage() {
    const int active = ActivePageIndex();
    RECT r{};
    ::GetClientRect(Handle(), &r);
    TabCtrl_AdjustRect(Handle(), FALSE, &r);
    for (size_t i = 0; i < pages_.size(); ++i) {
        HWND h = pages_[i]->Handle();
        if (static_cast<int>(i) == active) {
            ::SetWindowPos(h, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW);
        } else {
            ::ShowWindow(h, SW_HIDE);
        }
    }
}

void TPageControl::SetBounds(int x, int y, int width, int height) {
    TControl::SetBounds(x, y, width, height);
    RECT r{};
    ::GetClientRect(Handle(), &r);
    TabCtrl_AdjustRect(Handle(), FALSE, &r);
    // Every page gets the new size, shown or not, so that each is laid out when it appears.
    for (auto& p : pages_)
        ::SetWindowPos(p->Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TPageControl::HandleNotify(NMHDR* nm, LRESULT& result) {
    if (nm->code != TCN_SELCHANGE) return false;
    ShowActivePage();
    if (OnChange) OnChange();
    result = 0;
    return true;
}

}  // namespace widgets
