#include "ListView.h"

#include <windows.h>

namespace widgets {

bool TListView::Create(HWND parent, bool multiSelect) {
    // The images stay their holder's (LVS_SHAREIMAGELISTS): the list would otherwise destroy them
    // with itself, and the holder a second time.
    DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                  (multiSelect ? 0 : LVS_SINGLESEL);
    if (!CreateControl(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, parent)) return false;
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT);
    HookKeys();
    return true;
}

void TListView::AddColumn(const std::string& caption, int width) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(caption.c_str());
    col.cx = width;
    ::SendMessageA(Handle(), LVM_INSERTCOLUMNA, columns_++, reinterpret_cast<LPARAM>(&col));
}

void TListView::SetColumnCaption(int column, const std::string& caption) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(caption.c_str());
    ::SendMessageA(Handle(), LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&col));
}

int TListView::ColumnWidth(int column) const {
    return ListView_GetColumnWidth(Handle(), column);
}
void TListView::SetColumnWidth(int column, int width) {
    ListView_SetColumnWidth(Handle(), column, width);
}
void TListView::SetSmallImages(HIMAGELIST images) {
    ListView_SetImageList(Handle(), images, LVSIL_SMALL);
}

int TListView::Count() const {
    return ListView_GetItemCount(Handle());
}

int TListView::Add(const std::string& caption, int image) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = Count();
    item.pszText = const_cast<char*>(caption.c_str());
    item.iImage = image;
    return static_cast<int>(::SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void TListView::SetSubItem(int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(Handle(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::string TListView::SubItem(int row, int column) const {
    std::string text(1024, '\0');
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    LRESULT n = ::SendMessageA(Handle(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(n));
    return text;
}

std::string TListView::Caption(int row) const {
    return SubItem(row, 0);
}
void TListView::Delete(int row) {
    ListView_DeleteItem(Handle(), row);
}
void TListView::Clear() {
    ListView_DeleteAllItems(Handle());
}

void TListView::SortByCaption() {
    struct Ctx {
        const TListView* view;
    } ctx{this};
    ::SendMessageA(Handle(), LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&ctx),
                   reinterpret_cast<LPARAM>(+[](LPARAM a, LPARAM b, LPARAM c) -> int {
                       const auto* v = reinterpret_cast<Ctx*>(c)->view;
                       return ::lstrcmpiA(v->Caption(static_cast<int>(a)).c_str(),
                                          v->Caption(static_cast<int>(b)).c_str());
                   }));
}

int TListView::SelectedCount() const {
    return static_cast<int>(ListView_GetSelectedCount(Handle()));
}
bool TListView::Selected(int row) const {
    return ListView_GetItemState(Handle(), row, LVIS_SELECTED) != 0;
}

void TListView::SetSelected(int row, bool selected) {
    ListView_SetItemState(Handle(), row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

std::vector<int> TListView::SelectedRows() const {
    std::vector<int> rows;
    for (int i = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(Handle(), i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

POINT TListView::KeyboardMenuPoint() const {
    int row = ItemIndex();
    if (row < 0 || !Selected(row)) row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED);
    RECT r{};
    if (row < 0 || !ListView_GetItemRect(Handle(), row, &r, LVIR_LABEL)) return TControl::KeyboardMenuPoint();
    return {r.left + 8, r.bottom};
}

int TListView::ItemIndex() const {
    return ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
}

bool TListView::HandleNotify(NMHDR* nm, LRESULT& result) {
    switch (nm->code) {
        case NM_CLICK:
            if (OnClick) OnClick();
            result = 0;
            return true;
        case NM_DBLCLK:
            if (OnDblClick) OnDblClick();
            result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace widgets
