// Names in ZIP archives and on the command lines of the ZIP libraries: the wildcard patterns the
// callers write (a leading "[-]" and "[[]" stand for the characters themselves), and the check
// that a stored name stays inside the folder it is extracted to. Texts are in code page 932; a
// double-byte character is always taken whole (its second byte may be '[', ']' or '\').
#pragma once

#include <string>
#include <vector>

namespace zipfmt {

bool IsLeadByte932(unsigned char c);

// Matches name against pattern: "*" any run of characters ("/" included), "?" one character,
// "[...]" one character of a set ("a-z" ranges, "!" or "^" first for the complement). Letters
// A to Z match either case.
bool WildMatch(const std::string& pattern, const std::string& name);

// True when pattern stands for exactly one name (no "*", "?" or set of more than one character);
// literal is that name, with the one-character sets "[x]" resolved.
bool LiteralOf(const std::string& pattern, std::string& literal);

// "a\b" and "a/b" both as "a/b".
std::string SlashSeparated(const std::string& name);

// The components of a stored name ("/" separated, a trailing "/" for a folder) when it is safe
// to place below a destination folder: relative, no drive, no ".." or empty component, no ':' (a
// stream or device), no control characters. False otherwise. "." components are dropped: "./a"
// is "a", and "." or "./" alone is the destination itself (no components).
bool SafeComponents(const std::string& name, std::vector<std::string>& components);
// The components with "/" between them.
std::string JoinedComponents(const std::vector<std::string>& components);

// The items of a command line: blank-separated, double quotes group (and are removed).
std::vector<std::string> SplitCommandLine(const std::string& line);

}  // namespace zipfmt
