#include "Hints.h"

#include <windows.h>
#include <commctrl.h>

namespace widgets {

std::string ShortHint(const std::string& hint) {
    std::string shown;
    for (size_t i = 0; i < hint.size(); ++i) {
        const char c = hint[i];
        // Shift-JIS trail bytes include "|" (0x7C): a double-byte character is taken whole.
        if (::IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < hint.size()) {
            shown += c;
            shown += hint[++i];
            continue;
        }
        if (c == '|') break;
        if (c == '\r') {
            shown += "\r\n";
            if (i + 1 < hint.size() && hint[i + 1] == '\n') ++i;
            continue;
        }
        shown += c;
    }
    // A break at the very end opens no empty line.
    while (shown.size() >= 2 && shown.compare(shown.size() - 2, 2, "\r\n") == 0)
        shown.resize(shown.size() - 2);
    return shown;
}

THints::~THints() {
    if (tip_ && ::IsWindow(tip_)) ::DestroyWindow(tip_);
}

bool THints::Create(HWND owner) {
    owner_ = owner;
    tip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
    if (!tip_) return false;
    // A width makes the tooltip break lines at CR LF.
    ::SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, 600);
    ::SendMessageA(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, kInitialDelayMs);
    ::SendMessageA(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, kShowTimeMs);
    ::SendMessageA(tip_, TTM_SETDELAYTIME, TTDT_RESHOW, kInitialDelayMs);
    return true;
}

namespace {

TTTOOLINFOA ToolInfo(HWND owner, HWND window, UINT id, bool wholeWindow) {
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_SUBCLASS | (wholeWindow ? TTF_IDISHWND : 0);
    ti.hwnd = wholeWindow ? owner : window;
    ti.uId = wholeWindow ? reinterpret_cast<UINT_PTR>(window) : id;
    return ti;
}

}  // namespace

void THints::Set(HWND control, const std::string& hint) {
    if (!tip_ || !control) return;
    const bool known = hints_.count({control, 0}) != 0;
    hints_[{control, 0}] = hint;
    std::string shown = ShortHint(hint);
    TTTOOLINFOA ti = ToolInfo(owner_, control, 0, true);
    ti.lpszText = const_cast<char*>(shown.c_str());
    ::SendMessageA(tip_, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void THints::SetPart(HWND window, UINT id, const RECT& rect, const std::string& hint) {
    if (!tip_ || !window) return;
    const bool known = hints_.count({window, id}) != 0;
    hints_[{window, id}] = hint;
    std::string shown = ShortHint(hint);
    TTTOOLINFOA ti = ToolInfo(owner_, window, id, false);
    ti.rect = rect;
    ti.lpszText = const_cast<char*>(shown.c_str());
    ::SendMessageA(tip_, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (known) MovePart(window, id, rect);
}

void THints::MovePart(HWND window, UINT id, const RECT& rect) {
    TTTOOLINFOA ti = ToolInfo(owner_, window, id, false);
    ti.rect = rect;
    ::SendMessageA(tip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string THints::Hint(HWND control, UINT id) const {
    auto it = hints_.find({control, id});
    return it == hints_.end() ? std::string() : it->second;
}

std::string THints::ShownText(HWND control, UINT id) const {
    char buf[2048] = {};
    TTTOOLINFOA ti = ToolInfo(owner_, control, id, hints_.count({control, id}) && id == 0);
    ti.lpszText = buf;
    ::SendMessageA(tip_, TTM_GETTEXTA, sizeof buf, reinterpret_cast<LPARAM>(&ti));
    return buf;
}

}  // namespace widgets
