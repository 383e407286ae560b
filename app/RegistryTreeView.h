// The registry of this machine as a tree: "My Computer", the six root keys, their subkeys,
// loaded one level ahead when a node is about to expand. Reports the selected key as a root key
// handle and a key name, and reads the values of a node's key.
#pragma once

#include <functional>
#include <string>

#include "GdiHandles.h"
#include "RegistryAccessor.h"
#include "TreeView.h"
#include "StringLists.h"

namespace ostra {

using widgets::TTreeNode;

class TRegistryTreeView;
using TRegistryTreeViewEvent = std::function<void(TRegistryTreeView& sender, TTreeNode selectNode, HKEY hkey,
                                                  const std::string& keyName)>;

class TRegistryTreeView : public widgets::TTreeView {
  public:
    static constexpr const char* kTopNodeText = "My Computer";
    static constexpr int kRootCount = 6;
    // The root keys in display order.
    static const char* const kRootNames[kRootCount];
    static const HKEY kRootKeys[kRootCount];

    TRegistryTreeView() = default;
    ~TRegistryTreeView() override = default;

    // Creates the control (labels not editable, no lines at the root, the images of "TREEIMAGE")
    // and builds the tree.
    bool Create(HWND parent);

    virtual void AddKeyNodes(HKEY root, const std::string& keyName, bool recurse, TTreeNode parent);
    virtual void BuildTree();

    // The root key of the root-key node at or above node; 0 for the top node or no node.
    HKEY KeyRootOf(TTreeNode node) const;
    // \Software\Example for a node two levels below its root key; empty for root-key nodes and the top.
    std::string KeyNameOf(TTreeNode node) const;
    // My Computer\HKEY_CURRENT_USER\Software\Example.
    std::string FullPathOf(TTreeNode node) const;

    void ListValueNames(TTreeNode node, TStrings& list);
    TRegDataInfo ValueInfo(TTreeNode node, const std::string& valueName);
    int ValueAsInteger(TTreeNode node, const std::string& valueName);
    std::string ValueAsString(TTreeNode node, const std::string& valueName);

    HKEY SelectedRootKey() const { return rootKey_; }
    const std::string& SelectedKeyName() const { return keyName_; }

    TRegistryTreeViewEvent OnChange;
    TRegistryTreeViewEvent OnClick;
    TRegistryTreeViewEvent OnDblClick;

    // The toolkit's hooks, public so that tests can drive them as the control does.
    bool CanExpand(TTreeNode node) override;
    void Change(TTreeNode node) override;
    void Click() override;
    void DblClick() override;

  private:
    void OpenNodeKey(TTreeNode node);
    widgets::ImageListHandle images_;
    TRegistryAccessor registry_;
    HKEY rootKey_ = nullptr;
    std::string keyName_;
};

// The main window's registry tree.
class TRegistryTreeViewJ : public TRegistryTreeView {};

}  // namespace ostra
