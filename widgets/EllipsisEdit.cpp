#include "EllipsisEdit.h"

namespace widgets {

bool TEllipsisEdit::Create(HWND parent, const std::string& text) {
    if (!TEdit::Create(parent, text)) return false;
    if (!button_.Create(parent, "...")) return false;
    button_.OnClick = [this] {
        if (OnEllipsisClick) OnEllipsisClick();
    };
    return true;
}

void TEllipsisEdit::SetBounds(int x, int y, int width, int height) {
    const int button = height;
    TEdit::SetBounds(x, y, width - button - 2, height);
    button_.SetBounds(x + width - button, y, button, height);
}

void TEllipsisEdit::SetVisible(bool visible) {
    TEdit::SetVisible(visible);
    button_.SetVisible(visible);
}

void TEllipsisEdit::SetEnabled(bool enabled) {
    TEdit::SetEnabled(enabled);
    button_.SetEnabled(enabled);
}

void TEllipsisEdit::SetFont(HFONT font) {
    TEdit::SetFont(font);
    button_.SetFont(font);
}

}  // namespace widgets
