#include "FormPlus.h"

#include <algorithm>

#include "MainMenu.h"

namespace ostra {

bool TFormPlus::Create(HWND owner, HFONT font, int left, int top, const TDetailGeometry& g) {
    if (!CreateHandle("TFormPlus", WS_EX_CONTROLPARENT, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, kDetailCaption,
                      left, top, g.Width, g.Height, owner))
        return false;
    if (!ListRegItem.Create(Handle()) || !Edit.Create(Handle(), true)) return false;
    ::SetWindowLongPtrA(ListRegItem.Handle(), GWL_STYLE,
                        ::GetWindowLongPtrA(ListRegItem.Handle(), GWL_STYLE) | LVS_NOSORTHEADER);
    ListRegItem.AddColumn("名前", g.Name);
    ListRegItem.AddColumn(kDetailDataColumn, g.Data);
    ListRegItem.SetFont(font);
    Edit.SetFont(font);
    ::SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    On(WM_SIZE, [this](WPARAM, LPARAM) -> LRESULT {
        FormResize();
        return 0;
    });
    On(WM_CLOSE, [this](WPARAM, LPARAM) -> LRESULT {
        Close();
        return 0;
    });
    entriesMenu_.reset(::CreatePopupMenu());
    ::AppendMenuA(entriesMenu_.get(), MF_STRING, cmExtractChosen, kExtractChosenCaption);
    ListRegItem.OnContextMenu = [this](POINT at) { ShowEntriesMenu(at); };
    FormResize();
    ShowEdit();
    return true;
}

TStrings TFormPlus::SelectedNames() const {
    TStrings names;
    for (int row : ListRegItem.SelectedRows()) names.push_back(ListRegItem.Caption(row));
    return names;
}

void TFormPlus::ShowEntriesMenu(POINT at) {
    if (EntriesArchive.empty()) return;
    ::EnableMenuItem(entriesMenu_.get(), cmExtractChosen,
                     MF_BYCOMMAND | (ListRegItem.SelectedCount() > 0 ? MF_ENABLED : MF_GRAYED));
    const UINT id = static_cast<UINT>(
        ::TrackPopupMenu(entriesMenu_.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                         at.x, at.y, 0, Handle(), nullptr));
    // The owner restores: it has the folder dialog, the progress window and the last folder used.
    if (id) ::SendMessageA(::GetWindow(Handle(), GW_OWNER), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void TFormPlus::Show() {
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(Handle());
}

void TFormPlus::Close() {
    if (!Handle() || (OnCloseQuery && !OnCloseQuery())) return;
    if (OnClose) OnClose();
    DestroyHandle();
}

void TFormPlus::ShowEdit() {
    ListRegItem.SetVisible(false);
    Edit.SetVisible(true);
}

void TFormPlus::ShowList() {
    Edit.SetVisible(false);
    ListRegItem.SetVisible(true);
}

TDetailGeometry TFormPlus::Geometry() const {
    RECT r{};
    ::GetWindowRect(Handle(), &r);
    return {r.right - r.left, r.bottom - r.top, ListRegItem.ColumnWidth(0), ListRegItem.ColumnWidth(1)};
}

void TFormPlus::FormResize() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ListRegItem.SetBounds(0, 0, client.right, client.bottom);
    Edit.SetBounds(0, 0, client.right, client.bottom);
}

void TMemoLog::AddLine(const std::string& line) {
    pending_.append(line).append("\r\n");
    if (nextAtOnce_ || clock_() - lastShown_ >= interval_) Flush();
}

void TMemoLog::FlushDue() {
    if (!pending_.empty() && clock_() - lastShown_ >= interval_) Flush();
}

void TMemoLog::Flush() {
    nextAtOnce_ = false;
    if (pending_.empty()) return;
    const ULONGLONG start = clock_();
    memo_.AppendText(pending_);
    pending_.clear();
    // Painted now: the step that follows may leave no time to.
    ::UpdateWindow(memo_.Handle());
    lastShown_ = clock_();
    interval_ = std::max(kMinInterval, kCostFactor * (lastShown_ - start));
}

}  // namespace ostra
