#include "ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace zipfmt {

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr size_t kLocalSize = 30, kCentralSize = 46, kEndSize = 22;
constexpr size_t kMaxComment = 0xFFFF;
constexpr uint16_t kExtendedTimeTag = 0x5455;
constexpr uint16_t kUnicodePathTag = 0x7075;

uint16_t Get16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::vector<unsigned char>& v, uint16_t x) {
    v.push_back(static_cast<unsigned char>(x));
    v.push_back(static_cast<unsigned char>(x >> 8));
}
void Put32(std::vector<unsigned char>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<unsigned char>(x >> (8 * i)));
}

[[noreturn]] void Fail(TZipFault fault, const std::string& what) {
    throw ZipError(fault, what);
}

void ReadOrFail(ByteSource& src, uint64_t offset, void* buffer, size_t n) {
    if (offset > src.Size() || n > src.Size() - offset)
        Fail(TZipFault::Broken, "record beyond the end of the file");
    if (!src.Read(offset, buffer, n)) Fail(TZipFault::Read, "the archive cannot be read");
}

// The extended time stamp field's last-write time and the Unicode path field's name (when it was
// written for the name stored: its checksum is that name's), when the extra data holds them.
void ReadExtra(const unsigned char* extra, size_t size, ZipEntry& entry) {
    size_t pos = 0;
    while (pos + 4 <= size) {
        const uint16_t tag = Get16(extra + pos), length = Get16(extra + pos + 2);
        pos += 4;
        if (length > size - pos) return;  // a damaged extra field only loses the time stamp
        if (tag == kExtendedTimeTag && length >= 5 && (extra[pos] & 1)) {
            entry.HasUnixTime = true;
            entry.UnixTime = Get32(extra + pos + 1);
        }
        if (tag == kUnicodePathTag && length > 5 && extra[pos] == 1 &&
            Get32(extra + pos + 1) == Crc32(0, entry.Name.data(), entry.Name.size()))
            entry.UnicodeName.assign(reinterpret_cast<const char*>(extra + pos + 5), length - 5);
        pos += length;
    }
}

// Where the end record is: the last signature whose comment reaches exactly to the file's end.
uint64_t FindEndRecord(ByteSource& src) {
    const uint64_t size = src.Size();
    if (size < kEndSize) Fail(TZipFault::NotArchive, "too short for a ZIP archive");
    const uint64_t span = std::min<uint64_t>(size, kEndSize + kMaxComment);
    std::vector<unsigned char> tail(static_cast<size_t>(span));
    ReadOrFail(src, size - span, tail.data(), tail.size());
    for (size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
        if (Get32(&tail[i]) != kEndSignature) continue;
        if (i + kEndSize + Get16(&tail[i + 20]) == tail.size()) return size - span + i;
    }
    Fail(TZipFault::NotArchive, "no end of central directory record");
}

}  // namespace

bool MemorySource::Read(uint64_t offset, void* buffer, size_t n) {
    if (offset > Length || n > Length - offset) return false;
    if (n) std::memcpy(buffer, Data + offset, n);
    return true;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t n) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const uInt chunk = static_cast<uInt>(std::min<size_t>(n, 1u << 30));
        crc = static_cast<uint32_t>(crc32(crc, p, chunk));
        p += chunk;
        n -= chunk;
    }
    return crc;
}

ZipDirectory ReadDirectory(ByteSource& src) {
    const uint64_t endOffset = FindEndRecord(src);
    unsigned char end[kEndSize];
    ReadOrFail(src, endOffset, end, kEndSize);
    const uint16_t disk = Get16(end + 4), directoryDisk = Get16(end + 6);
    const uint16_t onDisk = Get16(end + 8), total = Get16(end + 10);
    const uint32_t directorySize = Get32(end + 12), statedOffset = Get32(end + 16);
    if (disk != 0 || directoryDisk != 0 || onDisk != total)
        Fail(TZipFault::Unsupported, "archives on several volumes are not supported");
    if (total == 0xFFFF || directorySize == 0xFFFFFFFF || statedOffset == 0xFFFFFFFF)
        Fail(TZipFault::Unsupported, "ZIP64 archives are not supported");
    if (directorySize > endOffset) Fail(TZipFault::Broken, "central directory larger than the file");

    ZipDirectory dir;
    dir.DirectoryOffset = endOffset - directorySize;
    if (statedOffset > dir.DirectoryOffset)
        Fail(TZipFault::Broken, "central directory offset beyond its place");
    // A program in front of the archive shifts every offset the records state.
    dir.PrefixSize = dir.DirectoryOffset - statedOffset;
    const uint16_t commentLength = Get16(end + 20);
    dir.Comment.resize(commentLength);
    ReadOrFail(src, endOffset + kEndSize, dir.Comment.data(), commentLength);

    std::vector<unsigned char> central(directorySize);
    ReadOrFail(src, dir.DirectoryOffset, central.data(), central.size());
    size_t pos = 0;
    dir.Entries.reserve(total);
    for (unsigned i = 0; i < total; ++i) {
        if (central.size() - pos < kCentralSize || Get32(&central[pos]) != kCentralSignature)
            Fail(TZipFault::Broken, "central directory entry missing or damaged");
        const unsigned char* h = &central[pos];
        ZipEntry e;
        e.VersionMadeBy = Get16(h + 4);
        e.Flags = Get16(h + 8);
        e.Method = Get16(h + 10);
        e.DosTime = Get16(h + 12);
        e.DosDate = Get16(h + 14);
        e.Crc = Get32(h + 16);
        e.CompressedSize = Get32(h + 20);
        e.OriginalSize = Get32(h + 24);
        const size_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLen = Get16(h + 32);
        const uint16_t startDisk = Get16(h + 34);
        e.ExternalAttributes = Get32(h + 38);
        const uint32_t localOffset = Get32(h + 42);
        if (nameLength + extraLength + commentLen > central.size() - pos - kCentralSize)
            Fail(TZipFault::Broken, "central directory entry longer than the directory");
        if (startDisk != 0) Fail(TZipFault::Unsupported, "archives on several volumes are not supported");
        if (e.CompressedSize == 0xFFFFFFFF || e.OriginalSize == 0xFFFFFFFF || localOffset == 0xFFFFFFFF)
            Fail(TZipFault::Unsupported, "ZIP64 entries are not supported");
        e.Name.assign(reinterpret_cast<const char*>(h + kCentralSize), nameLength);
        ReadExtra(h + kCentralSize + nameLength, extraLength, e);
        if (localOffset > statedOffset) Fail(TZipFault::Broken, "entry beyond the central directory");
        e.LocalHeaderOffset = localOffset + dir.PrefixSize;
        dir.Entries.push_back(std::move(e));
        pos += kCentralSize + nameLength + extraLength + commentLen;
    }
    return dir;
}

uint64_t DataOffset(ByteSource& src, const ZipEntry& entry, uint64_t directoryOffset) {
    unsigned char h[kLocalSize];
    if (entry.LocalHeaderOffset > directoryOffset || directoryOffset - entry.LocalHeaderOffset < kLocalSize)
        Fail(TZipFault::Broken, "local header beyond the central directory");
    ReadOrFail(src, entry.LocalHeaderOffset, h, kLocalSize);
    if (Get32(h) != kLocalSignature) Fail(TZipFault::Broken, "local header missing for " + entry.Name);
    if (Get16(h + 8) != entry.Method)
        Fail(TZipFault::Broken, "local and central headers disagree on " + entry.Name);
    const uint64_t data = entry.LocalHeaderOffset + kLocalSize + Get16(h + 26) + Get16(h + 28);
    if (data > directoryOffset || entry.CompressedSize > directoryOffset - data)
        Fail(TZipFault::Broken, "data of " + entry.Name + " runs into the central directory");
    return data;
}

void ReadEntryData(ByteSource& src, const ZipEntry& entry, uint64_t directoryOffset,
                   const std::function<bool(const void*, size_t)>& sink) {
    if (entry.Flags & kFlagEncrypted)
        Fail(TZipFault::Unsupported, "encrypted entries are not supported: " + entry.Name);
    if (entry.Method != kMethodStored && entry.Method != kMethodDeflated)
        Fail(TZipFault::Unsupported,
             "method " + std::to_string(entry.Method) + " is not supported: " + entry.Name);
    uint64_t at = DataOffset(src, entry, directoryOffset);
    uint64_t left = entry.CompressedSize, produced = 0;
    uint32_t crc = 0;
    std::vector<unsigned char> in(1 << 16), out(1 << 16);
    auto deliver = [&](const unsigned char* data, size_t n) {
        if (n > entry.OriginalSize - produced) Fail(TZipFault::Crc, "more data than stated: " + entry.Name);
        produced += n;
        crc = Crc32(crc, data, n);
        if (n && !sink(data, n)) Fail(TZipFault::Write, "the output cannot be written");
    };

    if (entry.Method == kMethodStored) {
        if (entry.CompressedSize != entry.OriginalSize)
            Fail(TZipFault::Broken, "stored sizes differ: " + entry.Name);
        while (left > 0) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
            ReadOrFail(src, at, in.data(), n);
            deliver(in.data(), n);
            at += n;
            left -= n;
        }
    } else {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) Fail(TZipFault::Broken, "decoder cannot start");
        struct Guard {
            z_stream& z;
            ~Guard() { inflateEnd(&z); }
        } guard{z};
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            if (z.avail_in == 0) {
                if (left == 0) Fail(TZipFault::Crc, "data ends too early: " + entry.Name);
                const size_t n = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
                ReadOrFail(src, at, in.data(), n);
                at += n;
                left -= n;
                z.next_in = in.data();
                z.avail_in = static_cast<uInt>(n);
            }
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END) Fail(TZipFault::Crc, "damaged data: " + entry.Name);
            deliver(out.data(), out.size() - z.avail_out);
        }
    }
    if (produced != entry.OriginalSize || crc != entry.Crc) Fail(TZipFault::Crc, "CRC error: " + entry.Name);
}

namespace {

// The extended time stamp with the last-write time only (local and central headers alike).
void PutExtendedTime(std::vector<unsigned char>& v, const ZipEntry& entry) {
    if (!entry.HasUnixTime) return;
    Put16(v, kExtendedTimeTag);
    Put16(v, 5);
    v.push_back(1);
    Put32(v, entry.UnixTime);
}

// Kept with the entry when an archive is rewritten: without it the entry would change its name.
void PutUnicodePath(std::vector<unsigned char>& v, const ZipEntry& entry) {
    if (entry.UnicodeName.empty() || v.size() + 9 + entry.UnicodeName.size() > 0xFFFF) return;
    Put16(v, kUnicodePathTag);
    Put16(v, static_cast<uint16_t>(5 + entry.UnicodeName.size()));
    v.push_back(1);
    Put32(v, Crc32(0, entry.Name.data(), entry.Name.size()));
    v.insert(v.end(), entry.UnicodeName.begin(), entry.UnicodeName.end());
}

uint16_t VersionNeeded(const ZipEntry& entry) {
    return entry.Method == kMethodDeflated || entry.IsDirectory() ? 20 : 10;
}

}  // namespace

std::vector<unsigned char> LocalHeader(const ZipEntry& entry) {
    std::vector<unsigned char> extra;
    PutExtendedTime(extra, entry);
    PutUnicodePath(extra, entry);
    std::vector<unsigned char> v;
    Put32(v, kLocalSignature);
    Put16(v, VersionNeeded(entry));
    Put16(v, static_cast<uint16_t>(entry.Flags & ~kFlagDataDescriptor));
    Put16(v, entry.Method);
    Put16(v, entry.DosTime);
    Put16(v, entry.DosDate);
    Put32(v, entry.Crc);
    Put32(v, entry.CompressedSize);
    Put32(v, entry.OriginalSize);
    Put16(v, static_cast<uint16_t>(entry.Name.size()));
    Put16(v, static_cast<uint16_t>(extra.size()));
    v.insert(v.end(), entry.Name.begin(), entry.Name.end());
    v.insert(v.end(), extra.begin(), extra.end());
    return v;
}

std::vector<unsigned char> CentralHeader(const ZipEntry& entry) {
    std::vector<unsigned char> extra;
    PutExtendedTime(extra, entry);
    PutUnicodePath(extra, entry);
    std::vector<unsigned char> v;
    Put32(v, kCentralSignature);
    Put16(v, entry.VersionMadeBy);
    Put16(v, VersionNeeded(entry));
    Put16(v, static_cast<uint16_t>(entry.Flags & ~kFlagDataDescriptor));
    Put16(v, entry.Method);
    Put16(v, entry.DosTime);
    Put16(v, entry.DosDate);
    Put32(v, entry.Crc);
    Put32(v, entry.CompressedSize);
    Put32(v, entry.OriginalSize);
    Put16(v, static_cast<uint16_t>(entry.Name.size()));
    Put16(v, static_cast<uint16_t>(extra.size()));
    Put16(v, 0);  // comment
    Put16(v, 0);  // disk
    Put16(v, 0);  // internal attributes
    Put32(v, entry.ExternalAttributes);
    Put32(v, static_cast<uint32_t>(entry.LocalHeaderOffset));
    v.insert(v.end(), entry.Name.begin(), entry.Name.end());
    v.insert(v.end(), extra.begin(), extra.end());
    return v;
}

std::vector<unsigned char> EndRecord(size_t entryCount, uint64_t directorySize, uint64_t directoryOffset) {
    std::vector<unsigned char> v;
    Put32(v, kEndSignature);
    Put16(v, 0);
    Put16(v, 0);
    Put16(v, static_cast<uint16_t>(entryCount));
    Put16(v, static_cast<uint16_t>(entryCount));
    Put32(v, static_cast<uint32_t>(directorySize));
    Put32(v, static_cast<uint32_t>(directoryOffset));
    Put16(v, 0);
    return v;
}

DeflateResult Deflate(int level, const std::function<long long(void*, size_t)>& input,
                      const std::function<bool(const void*, size_t)>& output) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        Fail(TZipFault::Write, "encoder cannot start");
    struct Guard {
        z_stream& z;
        ~Guard() { deflateEnd(&z); }
    } guard{z};
    DeflateResult result;
    std::vector<unsigned char> in(1 << 16), out(1 << 16);
    int flush = Z_NO_FLUSH;
    do {
        const long long got = input(in.data(), in.size());
        if (got < 0) Fail(TZipFault::Read, "a file to pack cannot be read");
        result.OriginalSize += static_cast<uint64_t>(got);
        result.Crc = Crc32(result.Crc, in.data(), static_cast<size_t>(got));
        flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(got);
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            const size_t n = out.size() - z.avail_out;
            result.CompressedSize += n;
            if (n && !output(out.data(), n)) Fail(TZipFault::Write, "the archive cannot be written");
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    return result;
}

}  // namespace zipfmt
