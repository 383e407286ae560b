#include "SpinEdit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

namespace widgets {

namespace {
constexpr int kArrowsWidth = 16;
}

TSpinEdit::~TSpinEdit() {
    if (upDown_ && ::IsWindow(upDown_)) ::DestroyWindow(upDown_);
}

bool TSpinEdit::Create(HWND parent, int minValue, int maxValue) {
    min_ = minValue;
    max_ = maxValue;
    if (!TEdit::Create(parent, std::to_string(minValue), ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL)) return false;
    // Not aligned to the edit: the layout places both, so that the pair keeps its width.
    upDown_ = ::CreateWindowExA(0, UPDOWN_CLASSA, "",
                                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                                0, kArrowsWidth, 20, parent, nullptr, nullptr, nullptr);
    if (!upDown_) return false;
    ::SendMessageA(upDown_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
    ::SendMessageA(upDown_, UDM_SETRANGE32, minValue, maxValue);
    ::SendMessageA(Handle(), EM_LIMITTEXT, std::to_string(maxValue).size(), 0);
    SetValue(minValue);
    return true;
}

int TSpinEdit::Value() const {
    const std::string t = Text();
    // ES_NUMBER keeps typed text to digits; pasted text may hold anything, read as far as it goes.
    const long v = t.empty() ? min_ : std::strtol(t.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(v, min_, max_));
}

void TSpinEdit::SetValue(int value) {
    value = std::clamp(value, min_, max_);
    ::SendMessageA(upDown_, UDM_SETPOS32, 0, value);
    SetText(std::to_string(value));
}

void TSpinEdit::SetBounds(int x, int y, int width, int height) {
    TEdit::SetBounds(x, y, width - kArrowsWidth, height);
    ::MoveWindow(upDown_, x + width - kArrowsWidth, y, kArrowsWidth, height, TRUE);
}

void TSpinEdit::SetVisible(bool visible) {
    TEdit::SetVisible(visible);
    ::ShowWindow(upDown_, visible ? SW_SHOW : SW_HIDE);
}

void TSpinEdit::SetEnabled(bool enabled) {
    TEdit::SetEnabled(enabled);
    ::EnableWindow(upDown_, enabled);
}

}  // namespace widgets
