#include "ListBox.h"

#include <algorithm>

namespace widgets {

int CompareListText(const std::string& a, const std::string& b) {
    return ::lstrcmpiA(a.c_str(), b.c_str());
}

bool TListBox::Create(HWND parent, bool multiSelect) {
    multi_ = multiSelect;
    DWORD style = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (multiSelect) style |= LBS_EXTENDEDSEL;
    if (!CreateControl(WS_EX_CLIENTEDGE, "LISTBOX", "", style, parent)) return false;
    HookKeys();
    return true;
}

int TListBox::Count() const {
    return static_cast<int>(::SendMessageA(Handle(), LB_GETCOUNT, 0, 0));
}

std::string TListBox::Item(int index) const {
    LRESULT n = ::SendMessageA(Handle(), LB_GETTEXTLEN, index, 0);
    if (n == LB_ERR) return std::string();
    std::string text(static_cast<size_t>(n) + 1, '\0');
    n = ::SendMessageA(Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == LB_ERR ? 0 : static_cast<size_t>(n));
    return text;
}

std::vector<std::string> TListBox::Items() const {
    std::vector<std::string> items;
    for (int i = 0, n = Count(); i < n; ++i) items.push_back(Item(i));
    return items;
}

void TListBox::SetItems(const std::vector<std::string>& items) {
    std::vector<std::string> rows = items;
    if (sorted_)
        std::stable_sort(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) {
            return CompareListText(a, b) < 0;
        });
    ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
    Clear();
    for (const auto& s : rows) Insert(Count(), s);
    ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

int TListBox::Add(const std::string& text) {
    int at = Count();
    if (sorted_) {
        // After the last row that does not sort after the new one, so that equal rows keep the
        // order in which they came.
        int lo = 0, hi = at;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (CompareListText(Item(mid), text) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        at = lo;
    }
    Insert(at, text);
    return at;
}

void TListBox::Insert(int index, const std::string& text) {
    FitExtent(text);
    ::SendMessageA(Handle(), LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str()));
}

void TListBox::SetSorted(bool sorted) {
    if (sorted == sorted_) return;
    sorted_ = sorted;
    if (sorted_) SetItems(Items());
}

void TListBox::FitExtent(const std::string& text) {
    HDC dc = ::GetDC(Handle());
    if (!dc) return;
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(Handle(), dc);
    const int width = size.cx + 8;
    if (width > static_cast<int>(::SendMessageA(Handle(), LB_GETHORIZONTALEXTENT, 0, 0)))
        ::SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, width, 0);
}

void TListBox::Delete(int index) {
    ::SendMessageA(Handle(), LB_DELETESTRING, index, 0);
}
void TListBox::Clear() {
    ::SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
    ::SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
}

int TListBox::ItemIndex() const {
    LRESULT i = ::SendMessageA(Handle(), multi_ ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
    if (i == LB_ERR || i >= Count()) return -1;
    return static_cast<int>(i);
}

void TListBox::SetItemIndex(int index) {
    if (multi_) {
        ::SendMessageA(Handle(), LB_SETSEL, FALSE, -1);
        if (index >= 0) ::SendMessageA(Handle(), LB_SETSEL, TRUE, index);
        ::SendMessageA(Handle(), LB_SETCARETINDEX, index, FALSE);
    } else {
        ::SendMessageA(Handle(), LB_SETCURSEL, index, 0);
    }
}

int TListBox::SelectedCount() const {
    if (!multi_) return ItemIndex() >= 0 ? 1 : 0;
    LRESULT n = ::SendMessageA(Handle(), LB_GETSELCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<int>(n);
}

bool TListBox::Selected(int index) const {
    return ::SendMessageA(Handle(), LB_GETSEL, index, 0) > 0;
}

void TListBox::SetSelected(int index, bool selected) {
    if (multi_)
        ::SendMessageA(Handle(), LB_SETSEL, selected, index);
    else
        ::SendMessageA(Handle(), LB_SETCURSEL, selected ? index : -1, 0);
}

POINT TListBox::KeyboardMenuPoint() const {
    RECT r{};
    const int row = ItemIndex();
    if (row < 0 || ::SendMessageA(Handle(), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return TControl::KeyboardMenuPoint();
    return {r.left + 8, r.bottom};
}

std::vector<int> TListBox::SelectedRows() const {
    std::vector<int> rows;
    for (int i = 0, n = Count(); i < n; ++i)
        if (Selected(i)) rows.push_back(i);
    return rows;
}

bool TListBox::HandleCommand(WPARAM wp) {
    switch (HIWORD(wp)) {
        case LBN_SELCHANGE:
            if (OnClick) OnClick();
            return true;
        case LBN_DBLCLK:
            if (OnDblClick) OnDblClick();
            return true;
        default:
            return false;
    }
}

}  // namespace widgets
