// Conversions between ANSI texts (the code page of the system, 932 here) and UTF-16, and the wide
// path forms that reach past MAX_PATH.
#pragma once

#include <string>
#include <string_view>

namespace ostra {

// The UTF-16 form of an ANSI text; every ANSI text has one.
std::wstring AnsiToWide(std::string_view text);

// The ANSI form of a UTF-16 text; false when a character has none, since the '?' or the look-alike
// put in its place would turn a name into one that stands for other files.
bool ExactAnsi(std::wstring_view text, std::string& out);

// The ANSI form of a UTF-16 text for people to read: exact where the code page holds the
// characters, one '?' for each character it does not hold (a surrogate pair is one character).
// Never a look-alike: "résumé" does not become "resume", which names another file.
std::string ReadableAnsi(std::wstring_view text);

// The full wide form of an ANSI path as a user wrote it ("/" as "\", "." and ".." resolved,
// relative names against the current folder); empty for an empty text.
std::wstring FullWidePath(const std::string& path);

// A full wide path with the prefix that lifts the MAX_PATH limit ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), taken by the system exactly as it stands: names that end in a dot
// or a blank are reached as themselves. A path with the prefix already is returned as it is.
std::wstring LongPathForm(const std::wstring& fullPath);

// LongPathForm of FullWidePath: a user's path made ready for the wide calls.
inline std::wstring LongWidePath(const std::string& path) {
    return LongPathForm(FullWidePath(path));
}

}  // namespace ostra
