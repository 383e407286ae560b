#include "Memo.h"

#include <climits>

namespace widgets {

std::vector<std::string> TextToLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        lines.emplace_back(text, start, i - start);
        if (i < text.size()) i += (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    }
    return lines;
}

std::string LinesToText(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

bool TMemo::Create(HWND parent, bool readOnly) {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL |
                  (readOnly ? ES_READONLY : 0);
    if (!TEdit::Create(parent, "", style)) return false;
    ::SendMessageA(Handle(), EM_SETLIMITTEXT, 0, 0);  // no 32 KB cap: a run log can be long
    return true;
}

std::vector<std::string> TMemo::Lines() const {
    return TextToLines(Text());
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
    SetText(LinesToText(lines));
}

void TMemo::AddLine(const std::string& line) {
    AppendText(line + "\r\n");
}

void TMemo::AppendText(const std::string& text) {
    // A position past the end is the end: no count of the whole text, which an ANSI edit control
    // converts anew at every call.
    ::SendMessageA(Handle(), EM_SETSEL, INT_MAX, INT_MAX);
    ::SendMessageA(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageA(Handle(), EM_SCROLLCARET, 0, 0);
}

void TMemo::Clear() {
    SetText("");
}

}  // namespace widgets
