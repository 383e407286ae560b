// The ZIP format as bytes: reading the central directory of an untrusted file, reading one
// entry's data, and writing the records of a new archive. Plain code over a byte source and
// sink, no Win32, so that it builds natively for the fuzz target. Every length read from the
// file is checked against the file before it is used.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zipfmt {

// Why a file could not be read as an archive or an entry not be decoded.
enum class TZipFault {
    NotArchive,   // no end record: not a ZIP archive
    Broken,       // records that contradict each other or the file
    Unsupported,  // multi-volume, ZIP64, encrypted, or a method other than stored and deflated
    Crc,          // data that does not match its CRC or size
    Read,         // the byte source failed
    Write,        // the byte sink failed
};

class ZipError : public std::runtime_error {
  public:
    ZipError(TZipFault fault, const std::string& what) : std::runtime_error(what), Fault(fault) {}
    TZipFault Fault;
};

// Random access to the archive file.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false when it cannot.
    virtual bool Read(uint64_t offset, void* buffer, size_t n) = 0;
};

class MemorySource : public ByteSource {
  public:
    MemorySource(const void* data, size_t size)
        : Data(static_cast<const unsigned char*>(data)), Length(size) {}
    uint64_t Size() const override { return Length; }
    bool Read(uint64_t offset, void* buffer, size_t n) override;

  private:
    const unsigned char* Data;
    size_t Length;
};

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8 = 0x0800;

// One entry as the central directory tells it.
struct ZipEntry {
    std::string Name;  // bytes as stored ('/' separators); UTF-8 when kFlagUtf8 is set
    // UTF-8, from the Info-ZIP Unicode path field when its checksum is that of Name; else empty.
    std::string UnicodeName;
    uint16_t VersionMadeBy = 0;
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint16_t DosTime = 0, DosDate = 0;
    uint32_t Crc = 0;
    uint32_t CompressedSize = 0, OriginalSize = 0;
    uint32_t ExternalAttributes = 0;
    uint64_t LocalHeaderOffset = 0;  // where the local header really is (any prefix counted)
    bool HasUnixTime = false;        // from the extended time stamp field
    uint32_t UnixTime = 0;           // last write, seconds since 1970 (UTC)

    bool IsDirectory() const { return !Name.empty() && Name.back() == '/'; }
    uint8_t HostSystem() const { return static_cast<uint8_t>(VersionMadeBy >> 8); }
};

struct ZipDirectory {
    std::vector<ZipEntry> Entries;
    uint64_t PrefixSize = 0;       // bytes in front of the archive (a self-extractor's program)
    uint64_t DirectoryOffset = 0;  // where the central directory really is
    std::string Comment;
};

// Reads the central directory. ZipError when the file is not a ZIP archive, contradicts itself,
// or is of a kind not supported (see TZipFault). Archives with a prefix (self-extractors, with
// or without adjusted offsets) are read; the offsets of the result are where the records are.
ZipDirectory ReadDirectory(ByteSource& src);

// The position of the entry's data; checks its local header against the central one.
uint64_t DataOffset(ByteSource& src, const ZipEntry& entry, uint64_t directoryOffset);

// Decodes the entry's data, handing it to sink in pieces (false from sink stops with a Write
// fault). Exactly OriginalSize bytes with the right CRC, or ZipError.
void ReadEntryData(ByteSource& src, const ZipEntry& entry, uint64_t directoryOffset,
                   const std::function<bool(const void*, size_t)>& sink);

// ---- writing ----

// Records of a new archive; the caller writes them in order: per entry the local header and the
// data, then every central header, then the end record.
std::vector<unsigned char> LocalHeader(const ZipEntry& entry);
std::vector<unsigned char> CentralHeader(const ZipEntry& entry);
std::vector<unsigned char> EndRecord(size_t entryCount, uint64_t directorySize, uint64_t directoryOffset);
// Largest entry count and offset an archive without ZIP64 records can state.
constexpr uint64_t kMaxEntries = 0xFFFF;
constexpr uint64_t kMaxOffset = 0xFFFFFFFF;

// Deflates a stream: input(buffer, capacity) returns the bytes read (0 at the end, -1 on
// failure); output(data, n) false on failure. Returns the compressed size; ZipError on failure.
struct DeflateResult {
    uint64_t CompressedSize = 0, OriginalSize = 0;
    uint32_t Crc = 0;
};
DeflateResult Deflate(int level, const std::function<long long(void*, size_t)>& input,
                      const std::function<bool(const void*, size_t)>& output);

uint32_t Crc32(uint32_t crc, const void* data, size_t n);

}  // namespace zipfmt
