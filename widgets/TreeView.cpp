#include "TreeView.h"

#include <windows.h>

namespace widgets {

bool TTreeView::Create(HWND parent, DWORD style) {
    if (!CreateControl(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "", WS_VISIBLE | WS_TABSTOP | style, parent))
        return false;
    HookKeys();
    return true;
}

void TTreeView::SetImages(HIMAGELIST images) {
    TreeView_SetImageList(Handle(), images, TVSIL_NORMAL);
}

TTreeNode TTreeView::AddChild(TTreeNode parent, const std::string& text, int image, int selectedImage) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent ? parent : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char*>(text.c_str());
    ins.item.iImage = image;
    ins.item.iSelectedImage = selectedImage;
    return reinterpret_cast<TTreeNode>(
        ::SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

void TTreeView::Clear() {
    TreeView_DeleteAllItems(Handle());
}

std::string TTreeView::NodeText(TTreeNode node) const {
    char buf[1024] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    if (!node || !::SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return std::string();
    return buf;
}

void TTreeView::SetNodeText(TTreeNode node, const std::string& text) {
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

TTreeNode TTreeView::Parent(TTreeNode node) const {
    return node ? TreeView_GetParent(Handle(), node) : nullptr;
}
TTreeNode TTreeView::FirstChild(TTreeNode node) const {
    return TreeView_GetChild(Handle(), node);
}
TTreeNode TTreeView::NextSibling(TTreeNode node) const {
    return TreeView_GetNextSibling(Handle(), node);
}

int TTreeView::Level(TTreeNode node) const {
    int level = -1;
    for (TTreeNode n = node; n; n = Parent(n)) ++level;
    return level;
}

int TTreeView::ImageIndex(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_IMAGE | TVIF_HANDLE;
    item.hItem = node;
    ::SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

int TTreeView::SelectedImageIndex(TTreeNode node) const {
    TVITEMA item{};
    item.mask = TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    item.hItem = node;
    ::SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iSelectedImage;
}

TTreeNode TTreeView::TopNode() const {
    return TreeView_GetRoot(Handle());
}
TTreeNode TTreeView::Selected() const {
    return TreeView_GetSelection(Handle());
}
void TTreeView::Select(TTreeNode node) {
    TreeView_SelectItem(Handle(), node);
}
void TTreeView::Expand(TTreeNode node) {
    TreeView_Expand(Handle(), node, TVE_EXPAND);
}
void TTreeView::Collapse(TTreeNode node) {
    TreeView_Expand(Handle(), node, TVE_COLLAPSE);
}

bool TTreeView::Expanded(TTreeNode node) const {
    return (TreeView_GetItemState(Handle(), node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TTreeView::BeginUpdate() {
    ::SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeView::EndUpdate() {
    ::SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool TTreeView::CanExpand(TTreeNode) {
    return true;
}
void TTreeView::Change(TTreeNode) {}
void TTreeView::Click() {}
void TTreeView::DblClick() {}

bool TTreeView::HandleNotify(NMHDR* nm, LRESULT& result) {
    switch (nm->code) {
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW: {
            auto* tv = reinterpret_cast<NMTREEVIEWA*>(nm);
            // Only an expansion asks; collapsing is always allowed.
            result = (tv->action & TVE_EXPAND) && !CanExpand(tv->itemNew.hItem) ? TRUE : FALSE;
            return true;
        }
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            Change(reinterpret_cast<NMTREEVIEWA*>(nm)->itemNew.hItem);
            result = 0;
            return true;
        case NM_CLICK: {
            // The control reports the click before it moves the selection: move it first, so
            // that the click speaks of the node under the pointer.
            TVHITTESTINFO ht{};
            ::GetCursorPos(&ht.pt);
            ::ScreenToClient(Handle(), &ht.pt);
            if (TreeView_HitTest(Handle(), &ht) && (ht.flags & TVHT_ONITEM) && ht.hItem != Selected())
                Select(ht.hItem);
            Click();
            result = 0;
            return true;
        }
        case NM_DBLCLK:
            DblClick();
            result = 0;
            return true;
        case NM_RCLICK: {
            // The control follows the right button itself and may swallow its release, so the
            // context menu is raised here; a nonzero answer keeps it from asking once more.
            if (!OnContextMenu) return false;
            const DWORD pos = ::GetMessagePos();
            OnContextMenu(POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))});
            result = 1;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace widgets
