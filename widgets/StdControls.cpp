#include "StdControls.h"

namespace widgets {

bool TLabel::Create(HWND parent, const std::string& caption, DWORD style) {
    return CreateControl(0, "STATIC", caption, WS_VISIBLE | style, parent);
}

bool TButton::Create(HWND parent, const std::string& caption, DWORD style) {
    return CreateControl(0, "BUTTON", caption, WS_VISIBLE | WS_TABSTOP | style, parent);
}

bool TButton::HandleCommand(WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED) return false;
    if (OnClick) OnClick();
    return true;
}

bool TCheckBox::Create(HWND parent, const std::string& caption, bool multiLine) {
    return CreateControl(0, "BUTTON", caption,
                         WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | (multiLine ? BS_MULTILINE : 0), parent);
}

bool TCheckBox::Checked() const {
    return ::SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    ::SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::HandleCommand(WPARAM wp) {
    if (HIWORD(wp) != BN_CLICKED) return false;
    if (OnClick) OnClick();
    return true;
}

bool TGroupBox::Create(HWND parent, const std::string& caption) {
    return CreateControl(WS_EX_TRANSPARENT, "BUTTON", caption, WS_VISIBLE | BS_GROUPBOX, parent);
}

bool TEdit::Create(HWND parent, const std::string& text, DWORD style) {
    if (!CreateControl(WS_EX_CLIENTEDGE, "EDIT", text, WS_VISIBLE | WS_TABSTOP | style, parent)) return false;
    HookKeys();
    return true;
}

bool TEdit::HandleCommand(WPARAM wp) {
    if (HIWORD(wp) != EN_CHANGE) return false;
    if (OnChange) OnChange();
    return true;
}

}  // namespace widgets
