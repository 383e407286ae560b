// What the system calls in an external archiver library and the records it exchanges with one.
// Every library exports the same set of entries, named by a per-library prefix plus a fixed
// suffix (the main entry is the prefix alone). All entries use the Windows standard calling
// convention and ANSI (Shift-JIS) texts; the records are byte-packed so that the i686 and x86_64
// builds see the same layout the libraries write.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace arc {

// Archive handle returned by OpenArchive; 0 means failure.
using HARC = HANDLE;

// Length of every file-name field of the records, NUL included when it fits.
constexpr size_t kRecordNameSize = 513;

#pragma pack(push, 1)

// Entry record filled by FindFirst/FindNext. The library writes the first 558 bytes; the three
// file times after them are the system's own, filled by the binding.
struct TEntryRecord {
    uint32_t OriginalSize;  // uncompressed size
    uint32_t CompressedSize;
    uint32_t Crc;
    uint32_t Flag;
    uint32_t OsType;
    uint16_t Ratio;
    uint16_t DosDate;
    uint16_t DosTime;
    char FileName[kRecordNameSize];  // NUL-terminated when shorter than the field
    char Reserved1[3];
    char Attribute[8];
    char Method[8];
    // Added by the binding.
    FILETIME LastWriteTime;
    FILETIME LastAccessTime;
    FILETIME CreationTime;
};

// Progress record of the "wm_arcextract" message (its lParam).
struct TProgressRecord {
    uint32_t FileSize;
    uint32_t WriteSize;
    char SourceFileName[kRecordNameSize];  // name inside the archive
    char Reserved1[3];
    char DestFileName[kRecordNameSize];  // file on disk
    char Reserved2[3];
    uint32_t CompressedSize;
    uint32_t Crc;
    uint32_t OsType;
    uint16_t Ratio;
    uint16_t DosDate;
    uint16_t DosTime;
    char Attribute[8];
    char Method[8];
};

// Member record of the enumeration callback, passed through untouched.
struct TEnumMemberInfo64 {
    unsigned char Data[1094];
};

#pragma pack(pop)

// Bytes of the entry record the library writes.
constexpr size_t kLibraryEntrySize = 558;
constexpr size_t kEntryRecordSize = 582;
constexpr size_t kProgressRecordSize = 1074;
constexpr DWORD kEnumMemberInfoSize = 1094;

static_assert(sizeof(TEntryRecord) == kEntryRecordSize);
static_assert(offsetof(TEntryRecord, OriginalSize) == 0);
static_assert(offsetof(TEntryRecord, CompressedSize) == 4);
static_assert(offsetof(TEntryRecord, Crc) == 8);
static_assert(offsetof(TEntryRecord, Flag) == 12);
static_assert(offsetof(TEntryRecord, OsType) == 16);
static_assert(offsetof(TEntryRecord, Ratio) == 20);
static_assert(offsetof(TEntryRecord, DosDate) == 22);
static_assert(offsetof(TEntryRecord, DosTime) == 24);
static_assert(offsetof(TEntryRecord, FileName) == 26);
static_assert(offsetof(TEntryRecord, Reserved1) == 539);
static_assert(offsetof(TEntryRecord, Attribute) == 542);
static_assert(offsetof(TEntryRecord, Method) == 550);
static_assert(offsetof(TEntryRecord, LastWriteTime) == kLibraryEntrySize);
static_assert(offsetof(TEntryRecord, LastAccessTime) == 566);
static_assert(offsetof(TEntryRecord, CreationTime) == 574);

static_assert(sizeof(TProgressRecord) == kProgressRecordSize);
static_assert(offsetof(TProgressRecord, FileSize) == 0);
static_assert(offsetof(TProgressRecord, WriteSize) == 4);
static_assert(offsetof(TProgressRecord, SourceFileName) == 8);
static_assert(offsetof(TProgressRecord, DestFileName) == 524);
static_assert(offsetof(TProgressRecord, CompressedSize) == 1040);
static_assert(offsetof(TProgressRecord, Method) == 1066);

static_assert(sizeof(TEnumMemberInfo64) == kEnumMemberInfoSize);

// Progress state: a file is being processed.
constexpr UINT kProgressStateFile = 1;

// Name of the registered window message the libraries send to the owner window.
inline constexpr const char kArcExtractMessage[] = "wm_arcextract";

// Reads a text field the library filled: up to its first NUL, never past the field's end (a
// library may fill all of it without a terminator).
template <size_t N>
std::string FieldText(const char (&field)[N]) {
    const void* nul = std::memchr(field, '\0', N);
    return std::string(field, nul ? static_cast<const char*>(nul) - field : N);
}

// Entry-point types. WINAPI on every one: without it the i686 build would call with the wrong
// convention and corrupt the stack.
using TArchiverProc = BOOL(WINAPI*)(HWND window, UINT message, UINT state, TProgressRecord* progress);
using TEnumMembersProc = BOOL(WINAPI*)(TEnumMemberInfo64* member);

using TMainEntry = int(WINAPI*)(HWND window, LPCSTR cmdLine, LPSTR output, DWORD size);
using TCheckArchiveEntry = BOOL(WINAPI*)(LPCSTR fileName, int mode);
using TOpenArchiveEntry = HARC(WINAPI*)(HWND window, LPCSTR fileName, DWORD mode);
using TCloseArchiveEntry = int(WINAPI*)(HARC archive);
using TFindFirstEntry = int(WINAPI*)(HARC archive, LPCSTR wildcard, TEntryRecord* entry);
using TFindNextEntry = int(WINAPI*)(HARC archive, TEntryRecord* entry);
// time is the library's time stamp out-parameter; the system always passes null there.
using TExtractMemEntry = int(WINAPI*)(HWND window, LPCSTR cmdLine, LPBYTE buffer, DWORD size, void* time,
                                      LPWORD attributes, LPDWORD written);
using TSetOwnerWindowExEntry = BOOL(WINAPI*)(HWND window, TArchiverProc callback);
using TKillOwnerWindowExEntry = BOOL(WINAPI*)(HWND window);
using TGetTimeExEntry = BOOL(WINAPI*)(HARC archive, FILETIME* time);
using TGetArchiveTypeEntry = int(WINAPI*)(LPCSTR fileName);
using TSetEnumMembersProc64Entry = BOOL(WINAPI*)(TEnumMembersProc callback, DWORD recordSize);
using TClearEnumMembersProc64Entry = BOOL(WINAPI*)();
// The YZ1 libraries' password entries: the dialog answers negative when the user cancels.
using TPasswordDialogEntry = int(WINAPI*)(HWND window, LPSTR password, DWORD size);
using TSetDefaultPasswordEntry = int(WINAPI*)(HARC archive, LPCSTR password);

// The result with which a YZ1 library asks for the password of an encrypted archive.
constexpr int kPasswordNeeded = 0x800A;

}  // namespace arc
