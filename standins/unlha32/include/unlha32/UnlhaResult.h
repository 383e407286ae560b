// Result codes of UNLHA32.DLL. Every entry that runs a command returns one of these; 0 is success.
// Errors live in the 0x8000 range so that a caller can tell them from counts and handles.
#pragma once

// The command ran to its end.
#define UNLHA_OK 0

// FindFirst / FindNext: no further entry (not an error).
#define UNLHA_FIND_END (-1)

#define UNLHA_ERR_BAD_COMMAND 0x8001       // unknown command word, no archive name, malformed line
#define UNLHA_ERR_NOT_SUPPORTED 0x8002     // command known but not provided (s: self-extractor)
#define UNLHA_ERR_FILE_NOT_FOUND 0x8003    // the archive, or a file named for packing, does not exist
#define UNLHA_ERR_NO_MATCH 0x8004          // no file or entry matched the names given
#define UNLHA_ERR_READ 0x8005              // a file on disk (or the archive) could not be opened or read
#define UNLHA_ERR_WRITE 0x8006             // an output file could not be created, written or renamed
#define UNLHA_ERR_NOT_ARCHIVE 0x8007       // the file is not an LHA archive
#define UNLHA_ERR_BROKEN 0x8008            // malformed or truncated header, undecodable data
#define UNLHA_ERR_CRC 0x8009               // decoded data does not match its CRC
#define UNLHA_ERR_METHOD 0x800A            // an entry uses a method this library cannot decode
#define UNLHA_ERR_UNSAFE_NAME 0x800B       // an entry name would leave the destination ("..")
#define UNLHA_ERR_BUFFER_TOO_SMALL 0x800C  // ExtractMem: the entry is larger than the buffer
#define UNLHA_ERR_BAD_HANDLE 0x800D        // an archive handle that OpenArchive did not give out
#define UNLHA_ERR_RESPONSE_FILE 0x800E     // an @ response file could not be read
#define UNLHA_ERR_BUSY 0x800F              // another command of this library is still running
#define UNLHA_ERR_NO_MEMORY 0x8010         // out of memory
#define UNLHA_ERR_INTERNAL 0x8011          // an unexpected failure inside the library
#define UNLHA_ERR_CANCELLED \
    0x8020  // stopped by the progress dialog, the owner window or the
            // member callback; nothing was changed

// Format codes of UnlhaGetArchiveType.
#define UNLHA_TYPE_UNKNOWN 0  // not an LHA archive, or the file cannot be read
#define UNLHA_TYPE_LHA 1      // an LHA archive (any header level)

// Mode bits of UnlhaCheckArchive.
#define UNLHA_CHECK_RAPID 0x01  // only the first header is checked
#define UNLHA_CHECK_FULL 0x08   // every entry is also decoded and its CRC compared (0x02 does the same)
// Other bits (0x10 is what callers pass) are accepted and have no effect: by default every
// header of the archive is read and checked, without decoding the data.
