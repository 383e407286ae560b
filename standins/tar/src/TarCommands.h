// What TAR32.DLL does: "x" extracts, "c" creates (plain, or gzip-compressed with -z), listing
// through handles, the archive check and the archive type.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tardll {

constexpr int kOk = 0;
constexpr int kFindEnd = -1;
constexpr int kErrBadCommand = 0x8001;    // unknown command word or switch, no archive named
constexpr int kErrNotSupported = 0x8002;  // bzip2, -g
constexpr int kErrFileNotFound = 0x8003;  // the archive, or a file named for packing, is missing
constexpr int kErrNoMatch = 0x8004;       // no entry matched the names given
constexpr int kErrRead = 0x8005;
constexpr int kErrWrite = 0x8006;
constexpr int kErrNotArchive = 0x8007;
constexpr int kErrBroken = 0x8008;      // a damaged header, damaged gzip data, data cut short
constexpr int kErrUnsafeName = 0x800B;  // an entry name would leave the destination
constexpr int kErrBadHandle = 0x800D;
constexpr int kErrNoShiftJis = 0x8010;  // an entry not extracted: its name has no Shift-JIS form
constexpr int kErrInternal = 0x8011;

// Type codes of TarGetArchiveType.
constexpr int kTypeUnknown = 0, kTypeTar = 1, kTypeTarGzip = 2, kTypeTarBzip2 = 6;

#pragma pack(push, 1)
struct EntryInfo {  // 558 bytes
    uint32_t OriginalSize, CompressedSize, Crc, Flag, OsType;
    uint16_t Ratio, DosDate, DosTime;
    char FileName[513];
    char Reserved1[3];
    char Attribute[8];
    char Method[8];
};
#pragma pack(pop)
static_assert(sizeof(EntryInfo) == 558);

int RunTar(const std::string& line, std::string& report);
int ArchiveType(const std::string& path);
bool CheckTarArchive(const std::string& path);
HANDLE OpenListing(const std::string& path);
int CloseListing(HANDLE archive);
int FindFirstEntry(HANDLE archive, const std::string& wildcard, EntryInfo* entry);
int FindNextEntry(HANDLE archive, EntryInfo* entry);
bool CurrentWriteTime(HANDLE archive, FILETIME* time);

}  // namespace tardll
