// A tree view of text nodes with images; the nodes are the control's own items.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Control.h"

namespace widgets {

using TTreeNode = HTREEITEM;

class TTreeView : public TControl {
  public:
    bool Create(HWND parent, DWORD style = TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS);

    void SetImages(HIMAGELIST images);
    TTreeNode AddChild(TTreeNode parent, const std::string& text, int image, int selectedImage);
    void Clear();

    std::string NodeText(TTreeNode node) const;
    void SetNodeText(TTreeNode node, const std::string& text);
    TTreeNode Parent(TTreeNode node) const;
    TTreeNode FirstChild(TTreeNode node) const;
    TTreeNode NextSibling(TTreeNode node) const;
    bool HasChildren(TTreeNode node) const { return FirstChild(node) != nullptr; }
    // 0 for a top-level node.
    int Level(TTreeNode node) const;
    int ImageIndex(TTreeNode node) const;
    int SelectedImageIndex(TTreeNode node) const;
    TTreeNode TopNode() const;
    TTreeNode Selected() const;
    void Select(TTreeNode node);
    void Expand(TTreeNode node);
    void Collapse(TTreeNode node);
    bool Expanded(TTreeNode node) const;

    void BeginUpdate();
    void EndUpdate();

  protected:
    // Hooks of a derived tree: a node is about to expand (false refuses it), the selection has
    // changed, a click, a double click.
    virtual bool CanExpand(TTreeNode node);
    virtual void Change(TTreeNode node);
    virtual void Click();
    virtual void DblClick();

  public:
    bool HandleNotify(NMHDR* nm, LRESULT& result) override;
};

}  // namespace widgets
