// Small file-system queries and operations of both programs and the archiver framework, over the
// ANSI Win32 functions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ostra {

// True when path names an existing file (not a folder).
bool FileExists(const std::string& path);
// True when path names an existing folder.
bool DirectoryExists(const std::string& path);
// Creates one folder level; false when it could not be made (it may already exist).
bool CreateDir(const std::string& path);
// Creates the folder with every missing level above it; true when it exists afterwards.
bool ForceDirectories(const std::string& path);

// The full path of a file name, relative names taken from the current directory ("." and ".."
// resolved, "/" turned into "\"); the name as it is when it cannot be resolved.
std::string ExpandFileName(const std::string& fileName);

// The path in full ("." and ".." resolved, "/" turned into "\") and, where it exists, in its long
// form, so that two spellings of one place compare alike; letter case is kept. Returns the path
// as it is when it cannot be resolved.
std::string FullLongPath(const std::string& path);

// True for "X:\..." and "\\server\share..." paths; a relative path would resolve against whatever
// folder the program happens to be started in ("C:x" and "\x" are relative too).
bool IsAbsolutePath(const std::string& path);

// True when path is folder itself or lies below it (letter case ignored, double-byte aware). Both
// are compared as given: pass ComparablePath keys to see through other spellings.
bool IsInsideFolder(const std::string& path, const std::string& folder);

// The path as a comparable key: full, long form, lower case, with a trailing backslash. Paths that
// name the same folder in different spellings give the same key (empty text gives empty text).
std::string ComparablePath(const std::string& path);

// True for a junction, mount point, symbolic link or any reparse point of an unknown kind (the
// attributes and reparse tag of a found entry): a place that may be elsewhere, never walked.
// Folders whose reparse data only says how their own files are kept (cloud-file placeholders,
// deduplication) are walked.
bool IsLinkToElsewhere(DWORD attributes, DWORD reparseTag);
inline bool IsLinkToElsewhere(const WIN32_FIND_DATAA& fd) {
    return IsLinkToElsewhere(fd.dwFileAttributes, fd.dwReserved0);
}
inline bool IsLinkToElsewhere(const WIN32_FIND_DATAW& fd) {
    return IsLinkToElsewhere(fd.dwFileAttributes, fd.dwReserved0);
}

// Writes data to path so that the file is either the old one or the complete new one: the data
// goes to a temporary file in the same folder that then replaces the target.
// Returns false (and leaves the old file as it was) when anything fails.
bool WriteFileAtomically(const std::string& path, const std::string& data);

// Writes all of data at the file's position, in chunks; false (GetLastError tells why) when a
// write fails.
bool WriteAll(HANDLE file, const std::string& data);

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace ostra
