// Conversions between ANSI texts (the code page of the system, 932 here) and UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace ostra {

// The UTF-16 form of an ANSI text; every ANSI text has one.
std::wstring AnsiToWide(std::string_view text);

// The ANSI form of a UTF-16 text; false when a character has none, since the '?' or the look-alike
// put in its place would turn a name into one that stands for other files.
bool ExactAnsi(std::wstring_view text, std::string& out);

}  // namespace ostra
