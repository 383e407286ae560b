// Files and folders for the tests: a fresh folder per test (removed afterwards), whole-file
// reads and writes, archive listings through the library, and command lines in the form the
// LHA back-end writes them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "UnlhaLibrary.h"

class TestFolder {
  public:
    TestFolder();
    ~TestFolder();
    // The folder with a trailing backslash.
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + rel; }

  private:
    std::string path_;
};

void RemoveTree(const std::string& dir);
// Writes bytes to path, making the folders on the way.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
// Every file below dir, relative, sorted, folders not listed.
std::vector<std::string> FilesBelow(const std::string& dir);
std::string RandomBytes(std::size_t n, std::uint32_t seed);
std::string RepetitiveText(std::size_t n);
FILETIME WriteTimeOf(const std::string& path);
void SetWriteTime(const std::string& path, const FILETIME& t);
// FILETIME for a local wall-clock date (seconds even, so a DOS time holds it exactly).
FILETIME LocalTime(int year, int month, int day, int hour, int minute, int second);
std::uint64_t Ticks(const FILETIME& t);

struct Listed {
    std::string name;
    std::uint32_t originalSize = 0;
    std::uint32_t compressedSize = 0;
    std::string method;
    std::uint16_t dosDate = 0, dosTime = 0;
    FILETIME writeTime{};
    bool haveWriteTime = false;
};
// Lists through OpenArchive / FindFirst / FindNext / GetWriteTimeEx / CloseArchive.
std::vector<Listed> ListArchive(const std::string& archive, const std::string& wildcard = "*.*");

// "word -+ {switch} " + UserOptions blank + quoted archive, [quoted dir\], quoted names + " ".
std::string BackendLine(const std::string& word, const std::vector<std::string>& switches,
                        const std::string& archive, const std::string& dir,
                        const std::vector<std::string>& names);
