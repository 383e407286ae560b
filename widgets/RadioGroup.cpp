#include "RadioGroup.h"

namespace widgets {

int ClampItemIndex(int index, int count) {
    if (index < -1) return -1;
    return index >= count ? count - 1 : index;
}

bool TRadioGroup::TRadioButton::Create(HWND parent, const std::string& caption, bool first,
                                       TRadioGroup* group) {
    group_ = group;
    return CreateControl(0, "BUTTON", caption,
                         WS_VISIBLE | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), parent);
}

bool TRadioGroup::TRadioButton::HandleCommand(WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED) return false;
    if (group_->OnClick) group_->OnClick();
    return true;
}

bool TRadioGroup::Create(HWND parent, const std::string& caption, const std::vector<std::string>& items,
                         int columns) {
    columns_ = columns > 0 ? columns : 1;
    if (!CreateControl(WS_EX_TRANSPARENT, "BUTTON", caption, WS_VISIBLE | BS_GROUPBOX, parent)) return false;
    for (size_t i = 0; i < items.size(); ++i) {
        auto b = std::make_unique<TRadioButton>();
        if (!b->Create(parent, items[i], i == 0, this)) return false;
        buttons_.push_back(std::move(b));
    }
    // The next control starts a group of its own, so the arrow keys stay within these buttons.
    return true;
}

int TRadioGroup::ItemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (::SendMessageA(buttons_[i]->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED)
            return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    index = ClampItemIndex(index, ItemCount());
    for (size_t i = 0; i < buttons_.size(); ++i)
        ::SendMessageA(buttons_[i]->Handle(), BM_SETCHECK,
                       static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioGroup::SetBounds(int x, int y, int width, int height) {
    TControl::SetBounds(x, y, width, height);
    if (buttons_.empty()) return;
    const int rows = (static_cast<int>(buttons_.size()) + columns_ - 1) / columns_;
    const int top = 16, pad = 8;
    const int cell = (width - 2 * pad) / columns_;
    const int rowHeight = (height - top - 4) / rows;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const int col = static_cast<int>(i) % columns_, row = static_cast<int>(i) / columns_;
        buttons_[i]->SetBounds(x + pad + col * cell, y + top + row * rowHeight, cell - 2,
                               rowHeight > 20 ? 20 : rowHeight);
    }
}

void TRadioGroup::SetVisible(bool visible) {
    TControl::SetVisible(visible);
    for (auto& b : buttons_) b->SetVisible(visible);
}

void TRadioGroup::SetEnabled(bool enabled) {
    TControl::SetEnabled(enabled);
    for (auto& b : buttons_) b->SetEnabled(enabled);
}

void TRadioGroup::SetFont(HFONT font) {
    TControl::SetFont(font);
    for (auto& b : buttons_) b->SetFont(font);
}

}  // namespace widgets
