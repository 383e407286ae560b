#include "MessageBoxes.h"

namespace ostra {

std::string ErrorBoxText(const std::string& message) {
    if (message.empty()) return message;
    // The last character: a double-byte one starts with a lead byte, which sorts after ".".
    size_t last = 0;
    for (size_t i = 0; i < message.size(); i += (::IsDBCSLeadByte(static_cast<BYTE>(message[i])) ? 2 : 1))
        last = i;
    return static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.') ? message + "."
                                                                                       : message;
}

void ShowErrorBox(HWND owner, const std::string& message) {
    ::MessageBoxA(owner, ErrorBoxText(message).c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

void ShowInfoBox(HWND owner, const std::string& message) {
    ::MessageBoxA(owner, message.c_str(), kApplicationTitle, MB_OK);
}

bool AskYesNo(HWND owner, const std::string& question) {
    // "No" is the default: the one question guards a step that cannot be undone, and a reflex
    // Enter must not take it.
    return ::MessageBoxA(owner, question.c_str(), "", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace ostra
