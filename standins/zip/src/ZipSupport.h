// What both ZIP libraries share on Win32: archive files as byte sources, names between the code
// page and the archive, times, the command line's parts, and the error that ends a command.
#pragma once

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "Handles.h"
#include "ZipFormat.h"

namespace zipdll {

// Ends a command with one of the result codes of ZipResult.h.
class CommandError : public std::runtime_error {
  public:
    CommandError(int code, const std::string& what) : std::runtime_error(what), Code(code) {}
    int Code;
};

// The result code of a fault of the format code.
int CodeOf(zipfmt::TZipFault fault);

class FileSource : public zipfmt::ByteSource {
  public:
    // CommandError(kErrFileNotFound or kErrRead) when the file cannot be opened.
    explicit FileSource(const std::string& path);
    uint64_t Size() const override { return Size_; }
    bool Read(uint64_t offset, void* buffer, size_t n) override;
    HANDLE Handle() const { return File.get(); }
    // Reads fail from now on.
    void Close() { File.reset(); }

  private:
    FileHandle File;
    uint64_t Size_ = 0;
};

// An archive opened and its directory read; CommandError for a missing file or one that is no
// ZIP archive.
struct OpenedArchive {
    explicit OpenedArchive(const std::string& path);
    FileSource Source;
    zipfmt::ZipDirectory Directory;
};

enum class TNameState {
    Exact,           // the name in the code page
    NoCodePageForm,  // a character has no form there: shown as <U+XXXX>, never a file's name
    Malformed,       // declared UTF-8 and not: a damaged or forged name
};
struct TLocalName {
    std::string Name;  // in the code page, '/' separators
    TNameState State = TNameState::Exact;
};
// The names of the entries in the code page, in the directory's order. UTF-8 where the entry says
// so (its flag, or an Info-ZIP Unicode path field written for the name stored), or where it was
// made on a Unix-like system and every name of such entries that is not plain ASCII is valid
// UTF-8; the code page otherwise.
std::vector<TLocalName> LocalNames(const zipfmt::ZipDirectory& dir);
// The stored form of a local name: as it is when plain ASCII, else UTF-8 (flag set in flags).
std::string StoredName(const std::string& localName, uint16_t& flags);

// Last-write time of the entry (UTC), from its extended time stamp or its DOS date and time.
FILETIME EntryWriteTime(const zipfmt::ZipEntry& entry);
// Sets the entry's DOS date and time and its extended time stamp from a UTC file time.
void SetEntryTime(zipfmt::ZipEntry& entry, const FILETIME& utc);
// Seconds since 1970.
uint32_t UnixTime(const FILETIME& utc);

// Items of a command line after the switches: the archive, an optional folder (the item after
// the archive that ends with a backslash or slash), then names; "@file" items that name an
// existing file are response files, one quoted name a line.
struct CommandParts {
    std::vector<std::string> Switches;  // every leading item that begins with '-'
    std::string Archive;
    std::string Folder;  // with its trailing separator, or empty
    std::vector<std::string> Names;
};
CommandParts ParseCommand(const std::string& line);

// Appends line and CR LF to report.
void ReportLine(std::string& report, const std::string& line);
// Copies report into the caller's buffer (NUL-terminated, cut to size) when there is one.
void DeliverReport(const std::string& report, char* buffer, DWORD size);

// Full path of a name, relative ones taken from the current folder.
std::string FullPath(const std::string& path);
// Last component of a path ('\' or '/' separated).
std::string LastComponent(const std::string& path);
// The folder part of path, with its separator; empty when it has none.
std::string FolderOf(const std::string& path);
// Creates every missing folder of path (which ends with a separator or names a folder).
bool MakeFolders(const std::string& path);

// A temporary file beside target, removed by the destructor unless Keep was called.
class TempBeside {
  public:
    explicit TempBeside(const std::string& target);
    ~TempBeside();
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;
    const std::string& Path() const { return Path_; }
    HANDLE Handle() const { return File.get(); }
    // Closes the file, keeping it under its temporary name.
    void Close() { File.reset(); }
    // Replaces target with the file (target may exist); false when it cannot.
    bool MoveOnto(const std::string& target);

  private:
    std::string Path_;
    FileHandle File;
    bool Moved = false;
};

// Writes all n bytes; false when it cannot.
bool WriteAll(HANDLE file, const void* data, size_t n);

}  // namespace zipdll
