#include "ToolBar.h"

#include <windows.h>
#include <commctrl.h>

#include "Window.h"

namespace widgets {

namespace {
constexpr int kGlyphSize = 16;
constexpr int kRowHeight = 26;
}  // namespace

bool TToolBar::Create(HWND parent, THints& hints, const char* glyphs) {
    hints_ = &hints;
    const DWORD style =
        WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN;
    if (!CreateControl(0, TOOLBARCLASSNAMEA, "", style, parent)) return false;
    ::SendMessageA(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(Handle(), TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    glyphs_.reset(ImageList_LoadImageA(ProgramInstance(), glyphs, kGlyphSize, 0, RGB(255, 0, 255),
                                       IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (glyphs_) ::SendMessageA(Handle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(glyphs_.get()));
    ::SendMessageA(Handle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(kGlyphSize, kGlyphSize));
    return true;
}

void TToolBar::Add(const TToolButton& button) {
    TBBUTTON b{};
    b.idCommand = button.id;
    b.iBitmap = button.kind == TToolKind::Separator ? 6 : (button.glyph >= 0 ? button.glyph : I_IMAGENONE);
    b.fsState = TBSTATE_ENABLED;
    switch (button.kind) {
        case TToolKind::Separator:
            b.fsStyle = BTNS_SEP;
            break;
        case TToolKind::Toggle:
            b.fsStyle = BTNS_CHECK;
            break;
        case TToolKind::Button:
            b.fsStyle = BTNS_BUTTON;
            break;
    }
    if (!button.caption.empty()) {
        b.fsStyle |= BTNS_SHOWTEXT | BTNS_AUTOSIZE;
        b.iString = reinterpret_cast<INT_PTR>(button.caption.c_str());
    } else {
        b.iString = -1;
    }
    ::SendMessageA(Handle(), TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&b));
    buttons_.push_back(button);
    if (button.kind != TToolKind::Separator && button.caption.empty())
        SetButtonWidth(button.id, button.width);
    if (button.kind != TToolKind::Separator && hints_)
        hints_->SetPart(Handle(), button.id, ButtonRect(button.id), button.hint);
    UpdateHintRects();
}

bool TToolBar::Down(int id) const {
    return ::SendMessageA(Handle(), TB_ISBUTTONCHECKED, id, 0) != 0;
}
void TToolBar::SetDown(int id, bool down) {
    ::SendMessageA(Handle(), TB_CHECKBUTTON, id, MAKELPARAM(down, 0));
}
bool TToolBar::ButtonEnabled(int id) const {
    return ::SendMessageA(Handle(), TB_ISBUTTONENABLED, id, 0) != 0;
}

void TToolBar::SetButtonEnabled(int id, bool enabled) {
    ::SendMessageA(Handle(), TB_ENABLEBUTTON, id, MAKELPARAM(enabled, 0));
}

std::string TToolBar::ButtonCaption(int id) const {
    char buf[256] = {};
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = buf;
    info.cchText = sizeof buf;
    if (::SendMessageA(Handle(), TB_GETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info)) < 0)
        return std::string();
    return buf;
}

void TToolBar::SetButtonCaption(int id, const std::string& caption) {
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT | TBIF_STYLE;
    info.pszText = const_cast<char*>(caption.c_str());
    // The style is read back first: only the caption flag changes.
    TBBUTTONINFOA old{};
    old.cbSize = sizeof old;
    old.dwMask = TBIF_STYLE;
    ::SendMessageA(Handle(), TB_GETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&old));
    info.fsStyle = caption.empty() ? (old.fsStyle & ~BTNS_SHOWTEXT) : (old.fsStyle | BTNS_SHOWTEXT);
    ::SendMessageA(Handle(), TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
    UpdateHintRects();
}

int TToolBar::ButtonWidth(int id) const {
    RECT r = ButtonRect(id);
    return r.right - r.left;
}

void TToolBar::SetButtonWidth(int id, int width) {
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE | TBIF_STYLE;
    TBBUTTONINFOA old{};
    old.cbSize = sizeof old;
    old.dwMask = TBIF_STYLE;
    ::SendMessageA(Handle(), TB_GETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&old));
    info.fsStyle = old.fsStyle & ~BTNS_AUTOSIZE;
    info.cx = static_cast<WORD>(width);
    ::SendMessageA(Handle(), TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
    UpdateHintRects();
}

RECT TToolBar::ButtonRect(int id) const {
    RECT r{};
    ::SendMessageA(Handle(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&r));
    return r;
}

int TToolBar::RowHeight() const {
    return kRowHeight;
}

void TToolBar::SetBounds(int x, int y, int width, int height) {
    TControl::SetBounds(x, y, width, height);
    UpdateHintRects();
}

void TToolBar::UpdateHintRects() {
    if (!hints_) return;
    for (const auto& b : buttons_)
        if (b.kind != TToolKind::Separator) hints_->MovePart(Handle(), b.id, ButtonRect(b.id));
}

bool TToolBar::HandleCommand(WPARAM wp) {
    if (OnClick) OnClick(LOWORD(wp));
    return true;
}

}  // namespace widgets
