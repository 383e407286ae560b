// Result codes of UNZIP32.DLL and ZIP32J.DLL. Every entry that runs a command returns one of
// these; 0 is success. Errors lie in the 0x8000 range.
#pragma once

namespace zipdll {

constexpr int kOk = 0;
constexpr int kFindEnd = -1;  // FindFirst / FindNext: no further entry

constexpr int kErrBadCommand = 0x8001;      // unknown switch, no archive name, malformed line
constexpr int kErrNotSupported = 0x8002;    // a switch known but not provided (-FF, -k)
constexpr int kErrFileNotFound = 0x8003;    // the archive, or a file named for packing, does not exist
constexpr int kErrNoMatch = 0x8004;         // no file or entry matched the names given
constexpr int kErrRead = 0x8005;            // a file or the archive could not be opened or read
constexpr int kErrWrite = 0x8006;           // an output file could not be created, written or renamed
constexpr int kErrNotArchive = 0x8007;      // the file is not a ZIP archive
constexpr int kErrBroken = 0x8008;          // records that contradict each other or the file
constexpr int kErrCrc = 0x8009;             // data that does not match its CRC or size
constexpr int kErrMethod = 0x800A;          // encrypted, ZIP64, multi-volume or an unknown method
constexpr int kErrUnsafeName = 0x800B;      // an entry name would leave the destination
constexpr int kErrBufferTooSmall = 0x800C;  // ExtractMem: the entry is larger than the buffer
constexpr int kErrBadHandle = 0x800D;       // an archive handle OpenArchive did not give out
constexpr int kErrResponseFile = 0x800E;    // an @ response file could not be read
constexpr int kErrTooLarge = 0x800F;        // a file of 4 GiB or more, or more than 65535 entries
constexpr int kErrNoShiftJis = 0x8010;      // an entry left out: its name has no Shift-JIS form
constexpr int kErrInternal = 0x8011;        // an unexpected failure inside the library
constexpr int kErrCancelled = 0x8020;       // stopped through the owner window

}  // namespace zipdll
