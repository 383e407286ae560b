// The tar format as bytes, plain or inside gzip: reading the entries of an untrusted stream and
// writing a new one. No Win32, so that it builds natively. Every field read from the stream is
// checked before it is used.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarfmt {

enum class TTarFault {
    NotArchive,   // no valid first header
    Broken,       // a header whose checksum or fields are wrong, or data cut short
    Unsupported,  // bzip2 and other compressions
    Read,         // the source failed
    Write,        // the sink failed
};

class TarError : public std::runtime_error {
  public:
    TarError(TTarFault fault, const std::string& what) : std::runtime_error(what), Fault(fault) {}
    TTarFault Fault;
};

// A sequential source: returns the bytes read (0 at the end), or -1 when it fails.
using TRead = std::function<long long(void* buffer, size_t size)>;
// A sink: false when it fails.
using TWrite = std::function<bool(const void* data, size_t size)>;

enum class TCompression { None, Gzip, Bzip2 };
// What the first bytes say; None for anything else.
TCompression CompressionOf(const unsigned char* head, size_t size);

// A source that inflates a gzip stream read from raw (several members one after the other too,
// and zero bytes after the last one, as tapes and some tools pad it); TarError(Broken) for damaged
// data, a wrong CRC or length at a member's end, or anything but zeros after the padding begins.
TRead GunzipSource(TRead raw);
// A sink that deflates into a gzip stream written to raw; Finish writes the trailer.
class GzipSink {
  public:
    GzipSink(int level, TWrite raw);
    ~GzipSink();
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;
    bool Write(const void* data, size_t size);
    bool Finish();

  private:
    struct State;
    std::unique_ptr<State> S;
};

enum class TEntryType { File, Folder, Other };

struct TarEntry {
    std::string Name;  // as stored, '/' separated, folders without their trailing '/'
    // From a POSIX extended header, which holds UTF-8 (unless it says its names are binary);
    // other names carry no character set.
    bool NameIsUtf8 = false;
    std::string LinkName;  // the target of a link, as stored
    bool LinkIsUtf8 = false;
    TEntryType Type = TEntryType::File;
    uint64_t Size = 0;  // bytes of data that follow the header
    int64_t MTime = 0;  // seconds since 1970 (UTC)
    uint32_t Mode = 0644;
};

// Reads entries one after the other from a source of tar bytes.
class TarReader {
  public:
    explicit TarReader(TRead source) : Source(std::move(source)) {}
    // The next entry, false at the archive's end (two zero blocks, or the end of the stream after
    // at least one entry). Data of the previous entry not read is skipped.
    bool Next(TarEntry& entry);
    // The current entry's data, to sink in pieces.
    void ReadData(const TWrite& sink);

  private:
    void ReadExactly(void* buffer, size_t n);
    void Skip(uint64_t n);
    TRead Source;
    uint64_t DataLeft = 0, Padding = 0;
    bool Started = false;
    bool GlobalBinaryNames = false;  // a global extended header said hdrcharset=BINARY
};

// The header blocks of an entry (a GNU long-name entry first when the name needs one).
std::vector<unsigned char> Headers(const TarEntry& entry);
// Zero bytes up to the next 512-byte boundary after size bytes of data.
size_t PaddingAfter(uint64_t size);
// The two zero blocks that end an archive.
std::vector<unsigned char> EndBlocks();

}  // namespace tarfmt
