// What UNZIP32.DLL does: extraction and testing from a command line, one entry into memory, the
// archive check, and listing through handles. Progress goes to the owner window as
// "wm_arcextract" messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zipdll {

#pragma pack(push, 1)
// The entry record of FindFirst/FindNext (558 bytes).
struct EntryInfo {
    uint32_t OriginalSize;
    uint32_t CompressedSize;
    uint32_t Crc;
    uint32_t Flag;
    uint32_t OsType;
    uint16_t Ratio;  // compressed size in thousandths of the original
    uint16_t DosDate;
    uint16_t DosTime;
    char FileName[513];
    char Reserved1[3];
    char Attribute[8];
    char Method[8];
};
// The record of the "wm_arcextract" message (lParam).
struct ProgressInfo {
    uint32_t FileSize;
    uint32_t WriteSize;
    char SourceFileName[513];
    char Reserved1[3];
    char DestFileName[513];
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
#pragma pack(pop)
static_assert(sizeof(EntryInfo) == 558);
static_assert(sizeof(ProgressInfo) == 1074);

// The window that gets the progress messages (null: none).
void SetOwner(HWND window);
HWND Owner();

// "-x" (the default) extracts, "-t" tests; "-o" overwrites existing files, "-j" drops the stored
// folders, "--i" asks for the progress display (the messages to the owner window are sent in any
// case). Then the archive, the destination folder and the names (patterns) of the entries.
int RunUnzip(const std::string& line, std::string& report);
// The one entry named on the line into buffer.
int ExtractToMemory(const std::string& line, void* buffer, DWORD size, DWORD* unixTime, WORD* attributes,
                    DWORD* written);
// Nonzero when path is a ZIP archive whose records agree; with mode bit 8 (or 2) every entry is
// decoded and its CRC compared too.
bool CheckZipArchive(const std::string& path, int mode);

HANDLE OpenListing(const std::string& path);
int CloseListing(HANDLE archive);
int FindFirstEntry(HANDLE archive, const std::string& wildcard, EntryInfo* entry);
int FindNextEntry(HANDLE archive, EntryInfo* entry);
// Last-write time of the entry found last; false when there is none.
bool CurrentWriteTime(HANDLE archive, FILETIME* time);

}  // namespace zipdll
