// API-READY
// Portable LHA archive codec: reading of header levels 0, 1 and 2, writing of levels 0, 1 and 2
// (2 is the default), methods -lh0-, -lh5-, -lh6-, -lh7- (compression and decompression) and
// -lhd- directory entries. No platform calls and no global state: everything goes through the
// byte source and sink interfaces below, so the same code runs natively and inside the DLL.
//
// Conventions
// - Names are raw bytes (Shift-JIS on the archives this library is meant for); they are never
//   re-encoded. In this API the path separator is a backslash; splitting respects double-byte
//   characters, so a Shift-JIS trail byte 0x5C is not taken for a separator.
// - Sizes and offsets are 64-bit. Entries larger than 4 GiB get the 64-bit size extension.
// - Every failure is an lha::Error carrying an ErrorCode; nothing else is thrown by the library
//   except std::bad_alloc and whatever a caller's source, sink or callback throws.
// - An input over 1 MiB is packed on threads of the library's own (WriterOptions::threads, by
//   default one per core), to the same bytes whatever their number; sources, sinks and
//   callbacks are only ever called on the caller's thread. Memory grows with the threads (about
//   10 MiB each), not with the size.
//   A Packer packs data apart from any archive, so that a caller can pack several files at once
//   on threads of its own (one Packer each) and add the results in order.
// - The library only writes through the sink it is given. On any error or cancel the output of
//   a Writer is incomplete and the caller discards it (writes to a temporary file, deletes it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

namespace detail {
class LzhEncoder;
}

// ---------------------------------------------------------------------------------------------
// Errors

enum class ErrorCode : int {
    Io = 1,              // the source or sink failed (read/write/seek)
    BadArchive = 2,      // not an LHA archive, or a header is malformed (bad length, checksum, ...)
    Truncated = 3,       // the archive ends inside a header or inside packed data
    CorruptData = 4,     // packed data cannot be decoded (bad Huffman tables, bad distance, ...)
    CrcMismatch = 5,     // decoded data or a level-2 header does not match its CRC-16
    UnknownMethod = 6,   // the entry's method is listed but cannot be extracted here
    Cancelled = 7,       // a progress callback asked to stop
    InvalidArgument = 8  // the caller passed something unusable (empty name, bad level, ...)
};

class Error : public std::runtime_error {
  public:
    Error(ErrorCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
    ErrorCode code() const noexcept { return code_; }

  private:
    ErrorCode code_;
};

// ---------------------------------------------------------------------------------------------
// Byte streams. Implementations report failures by throwing lha::Error(ErrorCode::Io, ...).

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes; returns the count read, 0 only at the end.
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    virtual void seek(std::uint64_t position) = 0;
    virtual std::uint64_t tell() = 0;
    // Total size in bytes.
    virtual std::uint64_t size() = 0;
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes all n bytes or throws.
    virtual void write(const void* buffer, std::size_t n) = 0;
    virtual void seek(std::uint64_t position) = 0;
    virtual std::uint64_t tell() = 0;
    // Cuts the sink at the current position (drops anything written beyond it).
    virtual void truncate() = 0;
};

// A source over caller-owned memory.
class MemorySource final : public ByteSource {
  public:
    MemorySource(const void* data, std::size_t size);
    std::size_t read(void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return pos_; }
    std::uint64_t size() override { return size_; }

  private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A growing in-memory sink.
class MemorySink final : public ByteSink {
  public:
    void write(const void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return pos_; }
    void truncate() override;
    const std::vector<unsigned char>& data() const { return data_; }
    std::vector<unsigned char>& data() { return data_; }

  private:
    std::vector<unsigned char> data_;
    std::size_t pos_ = 0;
};

// A sink over a caller-owned buffer of fixed capacity (for extraction into memory). Bytes beyond
// the capacity are counted but dropped, so an extraction still runs to its CRC check.
class FixedBufferSink final : public ByteSink {
  public:
    FixedBufferSink(void* buffer, std::size_t capacity);
    void write(const void* buffer, std::size_t n) override;
    void seek(std::uint64_t position) override;
    std::uint64_t tell() override { return pos_; }
    void truncate() override;
    std::size_t stored() const;                   // bytes actually placed in the buffer
    std::uint64_t total() const { return end_; }  // bytes written, including dropped ones
    bool overflowed() const { return end_ > capacity_; }

  private:
    unsigned char* buffer_;
    std::size_t capacity_;
    std::uint64_t pos_ = 0;
    std::uint64_t end_ = 0;
};

// A sink that only counts (for testing an archive).
class NullSink final : public ByteSink {
  public:
    void write(const void*, std::size_t n) override;
    void seek(std::uint64_t position) override { pos_ = position; }
    std::uint64_t tell() override { return pos_; }
    void truncate() override { end_ = pos_; }
    std::uint64_t total() const { return end_; }

  private:
    std::uint64_t pos_ = 0;
    std::uint64_t end_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Entries

// MS-DOS attribute bits.
enum : std::uint16_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20
};

struct Entry {
    std::string name;           // full path, backslash separators, no trailing separator
    bool is_directory = false;  // -lhd- entry
    std::string method;         // the 5 method bytes as stored, e.g. "-lh5-"
    std::uint64_t original_size = 0;
    std::uint64_t packed_size = 0;  // bytes of packed data (extended headers of level 1 excluded)
    std::uint16_t crc = 0;          // CRC-16 of the original data
    // Time stamps. DOS date-time is local time (date in the high word, time in the low word);
    // Unix time is seconds since 1970 UTC. Level 0/1 headers carry the DOS value (level 1 may add
    // a Unix one), level 2 headers carry the Unix value.
    bool has_dos_time = false;
    std::uint32_t dos_time = 0;
    bool has_unix_time = false;
    std::int64_t unix_time = 0;
    // Windows FILETIMEs (100 ns since 1601 UTC) when the archive has them.
    bool has_file_times = false;
    std::uint64_t creation_time = 0, write_time = 0, access_time = 0;
    std::uint16_t attributes = kAttrArchive;  // MS-DOS attributes
    bool has_unix_mode = false;
    std::uint16_t unix_mode = 0;
    int header_level = 2;
    std::uint8_t os_id = 'M';
    std::uint64_t header_offset = 0;  // where the header starts in the archive
    std::uint64_t header_size = 0;    // header bytes including all extended headers
    std::uint64_t data_offset = 0;    // where the packed data starts
    std::string comment;              // extended header 0x3F, if any

    // True when this library can extract the entry's method.
    bool method_supported() const;
};

// Methods this library writes.
enum class Method { Lh0, Lh5, Lh6, Lh7 };

// "-lh5-" for Method::Lh5 and so on.
const char* method_name(Method m);
// Parses "lh5", "-lh5-", "5" (and lh0/6/7). Throws InvalidArgument otherwise.
Method parse_method(std::string_view text);
// True for the methods extract() handles: -lh0-, -lz4-, -lh4-, -lh5-, -lh6-, -lh7-, -lhd-.
bool method_supported(std::string_view method);

// ---------------------------------------------------------------------------------------------
// Progress

struct Progress {
    enum class Phase { EntryBegin, Data, EntryEnd };
    Phase phase = Phase::EntryBegin;
    const Entry* entry = nullptr;  // the entry being read or written (sizes final at EntryEnd)
    std::uint64_t done = 0;        // original bytes processed so far in this entry
    std::uint64_t total = 0;       // original size of this entry, as far as known
};
// Called at the beginning and end of every entry and after every chunk of data (at most every
// 64 KiB or so). Returning false stops the operation with Error(ErrorCode::Cancelled).
using ProgressFn = std::function<bool(const Progress&)>;

// ---------------------------------------------------------------------------------------------
// Reading

struct ReaderOptions {
    // When the archive does not begin with a header, look for the first one within this many
    // bytes (self-extracting archives). 0: the archive must begin with a header.
    std::uint64_t search_limit = 0;
};

class Reader {
  public:
    explicit Reader(ByteSource& source, ReaderOptions options = {});
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Reads the next header. Returns false at the end of the archive (end mark or end of file).
    // Throws on a malformed or truncated header.
    bool next(Entry& entry);
    // Goes back to the first entry.
    void rewind();
    // Convenience: every entry from the beginning.
    std::vector<Entry> list();

    // Decodes the entry's data into the sink and checks size and CRC-16. Directories write
    // nothing. Throws UnknownMethod for methods it cannot decode.
    void extract(const Entry& entry, ByteSink& out, const ProgressFn& progress = {});
    // Decodes and checks without keeping the data.
    void test(const Entry& entry, const ProgressFn& progress = {});
    // Copies header and packed data of the entry, unchanged, to the sink.
    void copy_raw(const Entry& entry, ByteSink& out);

    ByteSource& source() { return source_; }

  private:
    ByteSource& source_;
    ReaderOptions options_;
    std::uint64_t next_offset_ = 0;
    bool started_ = false;
    bool ended_ = false;
};

// True when the source starts (or, with a search limit, contains) a valid LHA header.
bool looks_like_archive(ByteSource& source, std::uint64_t search_limit = 0);

// ---------------------------------------------------------------------------------------------
// Writing

struct WriterOptions {
    int header_level = 2;      // 0, 1 or 2
    std::uint8_t os_id = 'M';  // written into level 1 and 2 headers
    // Encoder tuning for benchmarks; 0 or -1 keeps the built-in choice.
    int search_depth = 0;  // binary-tree walk bound per position
    int nice_length = 0;   // matches this long are taken without looking inside them
    int passes = -1;       // minimum-cost parsing passes (0: lazy matching only)
    int threads = 0;       // threads encoding an input over 1 MiB (0: one per core, at most 8)
};

// What the caller knows about a new entry.
struct NewEntry {
    std::string name;            // backslash separators (Shift-JIS bytes); a trailing separator is dropped
    std::uint32_t dos_time = 0;  // local DOS date-time (levels 0 and 1)
    std::int64_t unix_time = 0;  // UTC seconds (level 2; level 1 adds it as an extension)
    std::uint16_t attributes = kAttrArchive;
    // Optional Windows FILETIMEs, written as an extended header on levels 1 and 2.
    bool has_file_times = false;
    std::uint64_t creation_time = 0, write_time = 0, access_time = 0;
};

// The data of one entry, packed apart from an archive.
struct PackedData {
    Method method = Method::Lh0;  // the method asked for, or Lh0 when packing did not pay
    std::vector<unsigned char> bytes;
    std::uint64_t original_size = 0;
    std::uint16_t crc = 0;
};

class Writer {
  public:
    explicit Writer(ByteSink& sink, WriterOptions options = {});
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Adds a file whose data is read from the source's current position to its end. The source
    // must be seekable: when compression does not pay the data is read again and stored as
    // -lh0-. Returns the entry as written.
    Entry add_file(const NewEntry& info, ByteSource& data, Method method, const ProgressFn& progress = {});
    // Adds a file from data a Packer packed; the entry is byte for byte what add_file writes for
    // the same data. Progress is reported as by add_file (the data in one step).
    Entry add_packed(const NewEntry& info, const PackedData& data, const ProgressFn& progress = {});
    // Adds a -lhd- directory entry.
    Entry add_directory(const NewEntry& info);
    // Copies an entry of another archive (header and packed data) unchanged.
    Entry add_raw(Reader& from, const Entry& entry);
    // Writes the end mark and cuts the sink there. No entry may be added afterwards.
    void finish();

  private:
    ByteSink& sink_;
    WriterOptions options_;
    bool finished_ = false;
    std::unique_ptr<detail::LzhEncoder> encoders_[4];  // per Method, made on first use
};

// Packs entry data in memory. It calls nothing of the caller's, so it may work on any thread;
// one Packer serves one thread at a time. Its encoders, tables and buffers are kept from one
// input to the next (building them anew for every small file cost more than packing it).
class Packer {
  public:
    // The encoder tuning of WriterOptions applies; header level and OS id play no part here.
    explicit Packer(WriterOptions options = {});
    ~Packer();
    Packer(const Packer&) = delete;
    Packer& operator=(const Packer&) = delete;

    // Packs n bytes with the method into out (whose buffer is reused). The result does not
    // depend on the thread count of the options.
    void pack(const void* data, std::size_t n, Method method, PackedData& out);

  private:
    WriterOptions options_;
    std::unique_ptr<detail::LzhEncoder> encoders_[4];
};

// ---------------------------------------------------------------------------------------------
// Helpers

// Seconds since 1970 of a DOS date-time read as if it were UTC (the caller applies its local
// time offset). Invalid fields are clamped.
std::int64_t dos_time_to_seconds(std::uint32_t dos_time);
// DOS date-time of a seconds count read as local time (the caller adds its offset first).
// Clamped to 1980..2107.
std::uint32_t seconds_to_dos_time(std::int64_t seconds);

// Turns an archive name into a relative path that is safe below a destination folder: drive
// letters, leading separators, "." and ".." components are dropped, '/' becomes '\'. Returns an
// empty string when nothing usable remains. Double-byte Shift-JIS characters are kept whole.
std::string safe_relative_path(std::string_view name);

// CRC-16 (polynomial 0xA001, reflected), as used for LHA data and level-2 headers.
std::uint16_t crc16(const void* data, std::size_t n, std::uint16_t crc = 0);

}  // namespace lha
