// Path and name routines for Shift-JIS texts: a trail byte 0x5C is part of its character and
// never a separator. Letters are compared without regard to case (ASCII letters only, which is
// how the file system treats Shift-JIS names), '/' and '\' alike. The programs have routines of
// their own for their paths; this library stands in for another product and keeps its own rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace unlha {

// True when the byte at index i of s starts a double-byte character.
bool IsLeadByteAt(std::string_view s, std::size_t i);
// True when the last character of s (read as a whole character) is a backslash.
bool EndsWithBackslash(std::string_view s);
// s with a backslash appended unless it ends with one (empty stays empty).
std::string AddBackslash(std::string_view s);
// Every '/' that is a whole character becomes '\'.
std::string ToBackslashes(std::string_view s);
// Components between separators ('\' or '/'); empty components are dropped.
std::vector<std::string> SplitComponents(std::string_view s);
// Index just past the last separator, 0 when there is none.
std::size_t FileNamePosition(std::string_view s);
// The folder part including its trailing separator ("" when none) and the last component.
std::string DirectoryPart(std::string_view s);
std::string LastComponent(std::string_view s);
// Key for comparing names: ASCII letters folded to lower case, '/' turned into '\'.
std::string FoldName(std::string_view s);
bool SameName(std::string_view a, std::string_view b);
// True when s contains '*' or '?' outside double-byte characters.
bool HasWildcard(std::string_view s);
// DOS-style match: '*' any run (separators included), '?' one character, case folded.
// "", "*" and "*.*" match everything.
bool WildcardMatch(std::string_view pattern, std::string_view name);
// True for "C:..." and for names that begin with a separator (rooted or UNC): names a command
// never takes relative to its folder (wider than the programs' IsAbsolutePath, which wants a full path).
bool IsAbsolutePath(std::string_view s);
// GetFullPathNameA of s; s itself when that fails.
std::string FullPath(const std::string& s);
// The folder names of a command are taken relative to: dir as a full path with a backslash, or the
// current folder when dir is empty.
std::string FolderOrCurrent(const std::string& dir);

}  // namespace unlha
