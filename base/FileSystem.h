// Small file-system queries and operations of the engine, over the ANSI Win32 functions.
#pragma once

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

// Writes data to path so that the file is either the old one or the complete new one: the data
// goes to a temporary file in the same folder that then replaces the target.
// Returns false (and leaves the old file as it was) when anything fails.
bool WriteFileAtomically(const std::string& path, const std::string& data);

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace ostra
