#include "RegistryTreeView.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "Window.h"

namespace ostra {

const char* const TRegistryTreeView::kRootNames[kRootCount] = {"HKEY_CLASSES_ROOT",   "HKEY_CURRENT_USER",
                                                               "HKEY_LOCAL_MACHINE",  "HKEY_USERS",
                                                               "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
const HKEY TRegistryTreeView::kRootKeys[kRootCount] = {
    HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG, HKEY_DYN_DATA};

namespace {

constexpr int kImageTop = 0, kImageKey = 1, kImageSelectedKey = 2;

// The hourglass while keys are read, the arrow again afterwards, also on an error.
class WaitCursor {
  public:
    WaitCursor() : old_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(old_ ? old_ : ::LoadCursor(nullptr, IDC_ARROW)); }

  private:
    HCURSOR old_;
};

}  // namespace

bool TRegistryTreeView::Create(HWND parent) {
    if (!TTreeView::Create(parent, TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS)) return false;
    images_.reset(ImageList_LoadImageA(widgets::ProgramInstance(), "TREEIMAGE", 16, 0, RGB(255, 255, 255),
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
    SetImages(images_.get());
    BuildTree();
    return true;
}

void TRegistryTreeView::BuildTree() {
    Clear();
    TTreeNode top = AddChild(nullptr, kTopNodeText, kImageTop, kImageTop);
    BeginUpdate();
    try {
        for (const char* name : kRootNames) AddChild(top, name, kImageKey, kImageSelectedKey);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    for (TTreeNode n = TopNode(); n; n = NextSibling(n)) Collapse(n);
    // The control asks before its first expansion; the hook loads what it needs only once, so
    // it is run here too, for a control that does not ask when the program expands a node.
    CanExpand(top);
    Expand(top);
}

bool TRegistryTreeView::CanExpand(TTreeNode node) {
    WaitCursor wait;
    for (TTreeNode child = FirstChild(node); child; child = NextSibling(child))
        if (!HasChildren(child)) AddKeyNodes(KeyRootOf(child), KeyNameOf(child), false, child);
    return true;
}

void TRegistryTreeView::AddKeyNodes(HKEY root, const std::string& keyName, bool recurse, TTreeNode parent) {
    TStrings names;
    registry_.SetRootKey(root);
    if (registry_.OpenKey(keyName)) names = registry_.GetKeyNames();
    registry_.CloseKey();
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    for (const auto& name : names) {
        TTreeNode node = AddChild(parent, name, kImageKey, kImageSelectedKey);
        if (recurse) AddKeyNodes(root, keyName + "\\" + name, false, node);
    }
}

HKEY TRegistryTreeView::KeyRootOf(TTreeNode node) const {
    for (TTreeNode n = node; n; n = Parent(n)) {
        if (Level(n) != 1) continue;
        const std::string text = NodeText(n);
        for (int i = 0; i < kRootCount; ++i)
            if (::lstrcmpiA(text.c_str(), kRootNames[i]) == 0) return kRootKeys[i];
        return nullptr;
    }
    return nullptr;
}

std::string TRegistryTreeView::KeyNameOf(TTreeNode node) const {
    std::vector<std::string> parts;
    for (TTreeNode n = node; n && Level(n) >= 2; n = Parent(n)) parts.push_back(NodeText(n));
    std::string name;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) name.append("\\").append(*it);
    return name;
}

std::string TRegistryTreeView::FullPathOf(TTreeNode node) const {
    std::string path;
    for (TTreeNode n = node; n; n = Parent(n)) path = path.empty() ? NodeText(n) : NodeText(n) + "\\" + path;
    return path;
}

void TRegistryTreeView::OpenNodeKey(TTreeNode node) {
    registry_.SetRootKey(KeyRootOf(node));
    registry_.OpenKey(KeyNameOf(node));
}

void TRegistryTreeView::ListValueNames(TTreeNode node, TStrings& list) {
    OpenNodeKey(node);
    list = registry_.GetValueNames();
}

TRegDataInfo TRegistryTreeView::ValueInfo(TTreeNode node, const std::string& valueName) {
    OpenNodeKey(node);
    return registry_.GetDataInfo(valueName);
}

int TRegistryTreeView::ValueAsInteger(TTreeNode node, const std::string& valueName) {
    OpenNodeKey(node);
    return registry_.ReadInteger(valueName);
}

std::string TRegistryTreeView::ValueAsString(TTreeNode node, const std::string& valueName) {
    OpenNodeKey(node);
    return registry_.ReadString(valueName);
}

void TRegistryTreeView::Change(TTreeNode node) {
    keyName_ = KeyNameOf(node);
    rootKey_ = KeyRootOf(node);
    if (OnChange) {
        registry_.SetRootKey(rootKey_);
        registry_.OpenKey(keyName_);
        OnChange(*this, node, rootKey_, keyName_);
    }
}

void TRegistryTreeView::Click() {
    TTreeNode node = Selected();
    if (node && Level(node) != 0 && OnClick) OnClick(*this, node, rootKey_, keyName_);
}

void TRegistryTreeView::DblClick() {
    TTreeNode node = Selected();
    if (node && Level(node) != 0 && OnDblClick) OnDblClick(*this, node, rootKey_, keyName_);
}

}  // namespace ostra
