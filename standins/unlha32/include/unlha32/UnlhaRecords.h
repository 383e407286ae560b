// Records that UNLHA32.DLL fills for its callers. Byte layouts are fixed (packed, no padding),
// identical for 32- and 64-bit builds; texts are Shift-JIS and NUL-terminated.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#define UNLHA_NAME_SIZE 513

#pragma pack(push, 1)

// One archive entry, as FindFirst / FindNext report it.
struct UnlhaEntryInfo {
    std::uint32_t originalSize;      // 0: uncompressed size (clamped to 0xFFFFFFFF)
    std::uint32_t compressedSize;    // 4: packed size (clamped)
    std::uint32_t crc;               // 8: CRC-16 of the data in the low word
    std::uint32_t flags;             // 12: header level of the entry (0, 1 or 2)
    std::uint32_t osType;            // 16: OS id byte of the header ('M', 'U', ...), 0 when none
    std::uint16_t ratio;             // 20: compressed / original in per mille (0 for empty files)
    std::uint16_t dosDate;           // 22: DOS date, local time
    std::uint16_t dosTime;           // 24: DOS time, local time
    char fileName[UNLHA_NAME_SIZE];  // 26: name as stored, backslash separators
    char reserved[3];                // 539
    char attributes[8];              // 542: "rhsda" letters or '-' (read-only, hidden, system, dir, archive)
    char method[8];                  // 550: "-lh5-" and so on
};

// What a progress message (wParam 1) points to, and what the member callback record starts with.
struct UnlhaProgressInfo {
    std::uint32_t fileSize;               // 0: uncompressed size of the member
    std::uint32_t writtenSize;            // 4: bytes processed so far
    char nameInArchive[UNLHA_NAME_SIZE];  // 8
    char reserved1[3];                    // 521
    char destination[UNLHA_NAME_SIZE];    // 524: file on disk: the extracted file, or the file packed
    char reserved2[3];                    // 1037
    std::uint32_t compressedSize;         // 1040: packed size when known, else 0
    std::uint32_t crc;                    // 1044
    std::uint32_t osType;                 // 1048
    std::uint16_t ratio;                  // 1052
    std::uint16_t dosDate;                // 1054
    std::uint16_t dosTime;                // 1056
    char attributes[8];                   // 1058
    char method[8];                       // 1066
};

// Member record handed to the callback of UnlhaSetEnumMembersProc64.
struct UnlhaMemberInfo {
    std::uint32_t structSize;             // 0: 1094
    std::uint32_t command;                // 4: UNLHA_MEMBER_PACK or UNLHA_MEMBER_EXTRACT
    std::uint64_t originalSize;           // 8
    std::uint64_t compressedSize;         // 16: 0 while packing (not known yet)
    std::uint64_t lastWriteTime;          // 24: FILETIME, UTC
    std::uint32_t crc;                    // 32: 0 while packing
    std::uint32_t attributes;             // 36: MS-DOS attribute bits
    char method[8];                       // 40
    char nameInArchive[UNLHA_NAME_SIZE];  // 48
    char destination[UNLHA_NAME_SIZE];    // 561: file on disk
    char reserved[20];                    // 1074
};

#pragma pack(pop)

#define UNLHA_MEMBER_PACK 1
#define UNLHA_MEMBER_EXTRACT 2
#define UNLHA_MEMBER_RECORD_SIZE 1094

static_assert(sizeof(UnlhaEntryInfo) == 558);
static_assert(offsetof(UnlhaEntryInfo, originalSize) == 0);
static_assert(offsetof(UnlhaEntryInfo, compressedSize) == 4);
static_assert(offsetof(UnlhaEntryInfo, crc) == 8);
static_assert(offsetof(UnlhaEntryInfo, flags) == 12);
static_assert(offsetof(UnlhaEntryInfo, osType) == 16);
static_assert(offsetof(UnlhaEntryInfo, ratio) == 20);
static_assert(offsetof(UnlhaEntryInfo, dosDate) == 22);
static_assert(offsetof(UnlhaEntryInfo, dosTime) == 24);
static_assert(offsetof(UnlhaEntryInfo, fileName) == 26);
static_assert(offsetof(UnlhaEntryInfo, attributes) == 542);
static_assert(offsetof(UnlhaEntryInfo, method) == 550);

static_assert(sizeof(UnlhaProgressInfo) == 1074);
static_assert(offsetof(UnlhaProgressInfo, fileSize) == 0);
static_assert(offsetof(UnlhaProgressInfo, writtenSize) == 4);
static_assert(offsetof(UnlhaProgressInfo, nameInArchive) == 8);
static_assert(offsetof(UnlhaProgressInfo, destination) == 524);
static_assert(offsetof(UnlhaProgressInfo, compressedSize) == 1040);
static_assert(offsetof(UnlhaProgressInfo, method) == 1066);

static_assert(sizeof(UnlhaMemberInfo) == UNLHA_MEMBER_RECORD_SIZE);
static_assert(offsetof(UnlhaMemberInfo, originalSize) == 8);
static_assert(offsetof(UnlhaMemberInfo, lastWriteTime) == 24);
static_assert(offsetof(UnlhaMemberInfo, method) == 40);
static_assert(offsetof(UnlhaMemberInfo, nameInArchive) == 48);
static_assert(offsetof(UnlhaMemberInfo, destination) == 561);
