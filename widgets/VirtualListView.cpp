#include "VirtualListView.h"

#include <windows.h>

namespace widgets {

bool TVirtualListView::Create(HWND parent, bool multiSelect) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA |
                  (multiSelect ? 0 : LVS_SINGLESEL);
    if (!CreateControl(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, parent)) return false;
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT);
    HookKeys();  // its pop-up menu and keys
    return true;
}

void TVirtualListView::AddColumn(const std::string& caption, int width) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(caption.c_str());
    col.cx = width;
    ::SendMessageA(Handle(), LVM_INSERTCOLUMNA, columns_++, reinterpret_cast<LPARAM>(&col));
}

void TVirtualListView::SetColumnCaption(int column, const std::string& caption) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(caption.c_str());
    ::SendMessageA(Handle(), LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
}

int TVirtualListView::ColumnWidth(int column) const {
    return ListView_GetColumnWidth(Handle(), column);
}

void TVirtualListView::SetColumnWidth(int column, int width) {
    ListView_SetColumnWidth(Handle(), column, width);
}

void TVirtualListView::SetRows(std::vector<TRow> rows) {
    rows_ = std::move(rows);
    ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(Handle(), Count(), 0);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

int TVirtualListView::Add(const std::string& caption) {
    rows_.push_back({caption});
    ListView_SetItemCountEx(Handle(), Count(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    ListView_RedrawItems(Handle(), Count() - 1, Count() - 1);
    return Count() - 1;
}

void TVirtualListView::SetSubItem(int row, int column, const std::string& text) {
    if (row < 0 || row >= Count() || column < 0) return;
    TRow& r = rows_[static_cast<size_t>(row)];
    if (r.size() <= static_cast<size_t>(column)) r.resize(static_cast<size_t>(column) + 1);
    r[static_cast<size_t>(column)] = text;
    ListView_RedrawItems(Handle(), row, row);
}

const std::string& TVirtualListView::TextOf(int row, int column) const {
    static const std::string kNone;
    if (row < 0 || row >= Count() || column < 0) return kNone;
    const TRow& r = rows_[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : kNone;
}

std::string TVirtualListView::SubItem(int row, int column) const {
    return TextOf(row, column);
}

void TVirtualListView::Clear() {
    rows_.clear();
    ListView_DeleteAllItems(Handle());
}

int TVirtualListView::SelectedCount() const {
    return static_cast<int>(ListView_GetSelectedCount(Handle()));
}

void TVirtualListView::SetSelected(int row, bool selected) {
    ListView_SetItemState(Handle(), row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

std::vector<int> TVirtualListView::SelectedRows() const {
    std::vector<int> rows;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

POINT TVirtualListView::KeyboardMenuPoint() const {
    int row = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
    if (row < 0 || !ListView_GetItemState(Handle(), row, LVIS_SELECTED))
        row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED);
    RECT r{};
    if (row < 0 || !ListView_GetItemRect(Handle(), row, &r, LVIR_LABEL)) return TControl::KeyboardMenuPoint();
    return {r.left + 8, r.bottom};
}

int TVirtualListView::FindRow(const std::string& text, int start) const {
    const int n = Count();
    for (int k = 0; k < n; ++k) {
        const int row = (start + k) % n;
        const std::string& caption = TextOf(row, 0);
        if (caption.size() >= text.size() &&
            ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.c_str(),
                             static_cast<int>(text.size()), text.c_str(),
                             static_cast<int>(text.size())) == CSTR_EQUAL)
            return row;
    }
    return -1;
}

bool TVirtualListView::HandleNotify(NMHDR* nm, LRESULT& result) {
    switch (nm->code) {
        case LVN_GETDISPINFOA: {
            auto* d = reinterpret_cast<NMLVDISPINFOA*>(nm);
            if ((d->item.mask & LVIF_TEXT) && d->item.pszText && d->item.cchTextMax > 0)
                ::lstrcpynA(d->item.pszText, TextOf(d->item.iItem, d->item.iSubItem).c_str(),
                            d->item.cchTextMax);
            result = 0;
            return true;
        }
        case LVN_GETDISPINFOW: {
            auto* d = reinterpret_cast<NMLVDISPINFOW*>(nm);
            if ((d->item.mask & LVIF_TEXT) && d->item.pszText && d->item.cchTextMax > 0) {
                const std::string& text = TextOf(d->item.iItem, d->item.iSubItem);
                const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                                    d->item.pszText, d->item.cchTextMax - 1);
                d->item.pszText[n > 0 ? n : 0] = L'\0';
            }
            result = 0;
            return true;
        }
        // Typing in the list: the next row whose name begins with what was typed.
        case LVN_ODFINDITEMA: {
            auto* f = reinterpret_cast<NMLVFINDITEMA*>(nm);
            result = (f->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && f->lvfi.psz
                         ? FindRow(f->lvfi.psz, f->iStart)
                         : -1;
            return true;
        }
        case LVN_ODFINDITEMW: {
            auto* f = reinterpret_cast<NMLVFINDITEMW*>(nm);
            result = -1;
            if ((f->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && f->lvfi.psz) {
                char text[1024] = {};
                ::WideCharToMultiByte(CP_ACP, 0, f->lvfi.psz, -1, text, sizeof text - 1, nullptr, nullptr);
                result = FindRow(text, f->iStart);
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace widgets
