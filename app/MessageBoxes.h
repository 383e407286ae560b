// The window program's boxes: errors (stop icon, the application title, a full stop added when
// the text's last character sorts after "."), notices (no icon) and the one question.
#pragma once

#include <windows.h>

#include <string>

namespace ostra {

inline constexpr const char* kApplicationTitle = "Pelmira";

// The text an error box shows for message.
std::string ErrorBoxText(const std::string& message);

void ShowErrorBox(HWND owner, const std::string& message);
void ShowInfoBox(HWND owner, const std::string& message);
// Yes and No (No the default button), a question icon, an empty caption; true for Yes.
bool AskYesNo(HWND owner, const std::string& question);

}  // namespace ostra
