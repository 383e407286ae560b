// Text routines of both programs and the archiver framework. Paths are ANSI (code page 932): every
// search for a delimiter steps over double-byte characters, so a trail byte 0x5C is never taken
// for a backslash.
#pragma once

#include <string>

namespace ostra {

// True when the byte at s[i] is a lead byte of the ANSI code page (say nothing about whether s[i]
// starts a character: only a walk from the start tells that, see IsCharStart).
bool IsLeadByte(const std::string& s, size_t i);
// Index of the start of the character after the one that starts at i (a lead byte at the very
// end counts as one character).
size_t NextChar(const std::string& s, size_t i);
// True when s[pos] starts a character, that is, it is not the trail byte of a double-byte one.
bool IsCharStart(const std::string& s, size_t pos);

// True when the last whole character of s is a backslash.
bool EndsWithBackslash(const std::string& s);

std::string AddBackslash(const std::string& s);
std::string RemoveBackslash(const std::string& s);

// The path with every "/" made "\\", as Windows itself reads it ("C:/Data/Mail" is C:\\Data\\Mail).
std::string WithBackslashes(const std::string& path);

// Index of the last character of s that is one of delims (single-byte delimiters only), or npos.
size_t LastDelimiter(const std::string& s, const char* delims);
// Index of the first occurrence of sep in s that starts on a character boundary, or npos.
size_t AnsiPos(const std::string& s, const std::string& sep);

// The part after the last backslash or colon.
std::string ExtractFileName(const std::string& path);
// The part up to and including the last backslash or colon.
std::string ExtractFilePath(const std::string& path);
// "C:" for a drive path, "\\server\share" for a UNC path, empty otherwise.
std::string ExtractFileDrive(const std::string& path);

// Cuts the text before the first separator and returns it; text keeps what follows the separator
// (or becomes empty when there is none).
std::string CutToken(std::string& text, const std::string& separator);
// CutToken applied n+1 times; returns the last part cut.
std::string GetToken(std::string& text, const std::string& separator, int n);

const char* BoolToIniStr(bool flag);

// Removes leading and trailing blanks and control characters.
std::string Trim(const std::string& s);

// Lower case after the system locale, double-byte aware.
std::string AnsiLowerCase(const std::string& s);

// Folder of the running program file, with a trailing backslash.
std::string AppDir();

}  // namespace ostra
