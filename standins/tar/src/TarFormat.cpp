#include "TarFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace tarfmt {

namespace {

constexpr size_t kBlock = 512;

[[noreturn]] void Fail(TTarFault fault, const std::string& what) {
    throw TarError(fault, what);
}

// An octal (or GNU base-256) number field.
bool ParseNumber(const unsigned char* field, size_t size, uint64_t& value) {
    value = 0;
    if (field[0] & 0x80) {  // base-256
        for (size_t i = 1; i < size; ++i) {
            if (value >> 55) return false;
            value = (value << 8) | field[i];
        }
        return (field[0] & 0x7F) == 0;
    }
    size_t i = 0;
    while (i < size && field[i] == ' ') ++i;
    bool any = false;
    for (; i < size && field[i] >= '0' && field[i] <= '7'; ++i) {
        if (value >> 60) return false;
        value = value * 8 + static_cast<uint64_t>(field[i] - '0');
        any = true;
    }
    for (; i < size; ++i)
        if (field[i] != ' ' && field[i] != '\0') return false;
    return any || field[0] == '\0' || field[0] == ' ';
}

std::string Field(const unsigned char* field, size_t size) {
    const void* nul = std::memchr(field, 0, size);
    return std::string(reinterpret_cast<const char*>(field),
                       nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - field) : size);
}

bool ChecksumOk(const unsigned char* h) {
    uint64_t stated = 0;
    if (!ParseNumber(h + 148, 8, stated)) return false;
    uint64_t sum = 0;
    for (size_t i = 0; i < kBlock; ++i) sum += (i >= 148 && i < 156) ? ' ' : h[i];
    return sum == stated;
}

bool AllZero(const unsigned char* h) {
    return std::all_of(h, h + kBlock, [](unsigned char c) { return c == 0; });
}

void PutOctal(unsigned char* field, size_t size, uint64_t value) {
    // size-1 digits and a NUL; larger values in base-256.
    uint64_t limit = 1;
    for (size_t i = 0; i < size - 1; ++i) limit *= 8;
    if (value < limit) {
        for (size_t i = size - 1; i-- > 0;) {
            field[i] = static_cast<unsigned char>('0' + (value & 7));
            value >>= 3;
        }
        field[size - 1] = 0;
        return;
    }
    std::memset(field, 0, size);
    field[0] = 0x80;
    for (size_t i = size; i-- > 1 && value;) {
        field[i] = static_cast<unsigned char>(value);
        value >>= 8;
    }
}

std::vector<unsigned char> Header(const std::string& name, const std::string& prefix, char type,
                                  uint64_t size, const TarEntry& e) {
    std::vector<unsigned char> h(kBlock, 0);
    std::memcpy(&h[0], name.data(), std::min<size_t>(name.size(), 100));
    PutOctal(&h[100], 8, e.Mode & 07777);
    PutOctal(&h[108], 8, 0);
    PutOctal(&h[116], 8, 0);
    PutOctal(&h[124], 12, size);
    PutOctal(&h[136], 12, static_cast<uint64_t>(e.MTime < 0 ? 0 : e.MTime));
    h[156] = static_cast<unsigned char>(type);
    std::memcpy(&h[257],
                "ustar\0"
                "00",
                8);
    std::memcpy(&h[345], prefix.data(), std::min<size_t>(prefix.size(), 155));
    std::memset(&h[148], ' ', 8);
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    PutOctal(&h[148], 7, sum);
    h[155] = ' ';
    return h;
}

}  // namespace

TCompression CompressionOf(const unsigned char* head, size_t size) {
    if (size >= 2 && head[0] == 0x1F && head[1] == 0x8B) return TCompression::Gzip;
    if (size >= 3 && head[0] == 'B' && head[1] == 'Z' && head[2] == 'h') return TCompression::Bzip2;
    return TCompression::None;
}

TRead GunzipSource(TRead raw) {
    struct Inflater {
        TRead Raw;
        z_stream Z{};
        std::vector<unsigned char> In = std::vector<unsigned char>(1 << 16);
        bool Ended = false, Ready = false;
        ~Inflater() {
            if (Ready) inflateEnd(&Z);
        }
    };
    auto s = std::make_shared<Inflater>();
    s->Raw = std::move(raw);
    if (inflateInit2(&s->Z, 16 + MAX_WBITS) != Z_OK) Fail(TTarFault::Broken, "decoder cannot start");
    s->Ready = true;
    return [s](void* buffer, size_t size) -> long long {
        if (s->Ended || size == 0) return 0;
        s->Z.next_out = static_cast<Bytef*>(buffer);
        s->Z.avail_out = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        while (s->Z.avail_out > 0) {
            if (s->Z.avail_in == 0) {
                const long long got = s->Raw(s->In.data(), s->In.size());
                if (got < 0) return -1;
                if (got == 0) Fail(TTarFault::Broken, "gzip data ends too early");
                s->Z.next_in = s->In.data();
                s->Z.avail_in = static_cast<uInt>(got);
            }
            const int status = inflate(&s->Z, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                // Another member may follow, or zero bytes up to the end.
                bool padded = false;
                for (;;) {
                    while (s->Z.avail_in > 0 && *s->Z.next_in == 0) {
                        ++s->Z.next_in;
                        --s->Z.avail_in;
                        padded = true;
                    }
                    if (s->Z.avail_in > 0) break;
                    const long long got = s->Raw(s->In.data(), s->In.size());
                    if (got < 0) return -1;
                    if (got == 0) {
                        s->Ended = true;
                        break;
                    }
                    s->Z.next_in = s->In.data();
                    s->Z.avail_in = static_cast<uInt>(got);
                }
                if (s->Ended) break;
                if (padded) Fail(TTarFault::Broken, "data after the zero padding of gzip data");
                inflateReset(&s->Z);
            } else if (status != Z_OK) {
                Fail(TTarFault::Broken, "damaged gzip data");
            }
        }
        return static_cast<long long>(size - s->Z.avail_out);
    };
}

struct GzipSink::State {
    TWrite Raw;
    z_stream Z{};
    std::vector<unsigned char> Out = std::vector<unsigned char>(1 << 16);
    bool Pump(int flush) {
        do {
            Z.next_out = Out.data();
            Z.avail_out = static_cast<uInt>(Out.size());
            const int status = deflate(&Z, flush);
            if (status == Z_STREAM_ERROR) return false;
            const size_t n = Out.size() - Z.avail_out;
            if (n && !Raw(Out.data(), n)) return false;
            if (flush == Z_FINISH && status == Z_STREAM_END) return true;
        } while (Z.avail_out == 0 || (flush == Z_FINISH));
        return true;
    }
};

GzipSink::GzipSink(int level, TWrite raw) : S(std::make_unique<State>()) {
    S->Raw = std::move(raw);
    if (deflateInit2(&S->Z, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        Fail(TTarFault::Write, "encoder cannot start");
}

GzipSink::~GzipSink() {
    deflateEnd(&S->Z);
}

bool GzipSink::Write(const void* data, size_t size) {
    S->Z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    S->Z.avail_in = static_cast<uInt>(size);
    return S->Pump(Z_NO_FLUSH);
}

bool GzipSink::Finish() {
    S->Z.next_in = nullptr;
    S->Z.avail_in = 0;
    return S->Pump(Z_FINISH);
}

void TarReader::ReadExactly(void* buffer, size_t n) {
    unsigned char* p = static_cast<unsigned char*>(buffer);
    while (n > 0) {
        const long long got = Source(p, n);
        if (got < 0) Fail(TTarFault::Read, "the archive cannot be read");
        if (got == 0) Fail(TTarFault::Broken, "the archive ends in the middle of an entry");
        p += got;
        n -= static_cast<size_t>(got);
    }
}

void TarReader::Skip(uint64_t n) {
    unsigned char buffer[4096];
    while (n > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(n, sizeof buffer));
        ReadExactly(buffer, chunk);
        n -= chunk;
    }
}

namespace {

// The records of a POSIX extended header ("length key=value\n" each) that this reader uses.
struct PaxRecords {
    std::string Path, LinkPath;
    bool HasPath = false, HasLinkPath = false, HasCharset = false, Binary = false;
};

PaxRecords ParsePax(const std::string& data) {
    PaxRecords r;
    for (size_t pos = 0; pos < data.size();) {
        size_t length = 0, i = pos;
        for (; i < data.size() && data[i] >= '0' && data[i] <= '9' && length <= data.size(); ++i)
            length = length * 10 + static_cast<size_t>(data[i] - '0');
        if (i == pos || i >= data.size() || data[i] != ' ' || length > data.size() - pos ||
            length <= i - pos + 1)
            break;  // a damaged record ends the header: the rest says nothing
        std::string record = data.substr(i + 1, pos + length - i - 1);
        if (!record.empty() && record.back() == '\n') record.pop_back();
        const size_t eq = record.find('=');
        if (eq != std::string::npos) {
            const std::string key = record.substr(0, eq), value = record.substr(eq + 1);
            if (key == "path") {
                r.Path = value;
                r.HasPath = true;
            } else if (key == "linkpath") {
                r.LinkPath = value;
                r.HasLinkPath = true;
            } else if (key == "hdrcharset") {
                r.HasCharset = true;
                r.Binary = value == "BINARY";
            }
        }
        pos += length;
    }
    return r;
}

}  // namespace

bool TarReader::Next(TarEntry& entry) {
    Skip(DataLeft + Padding);
    DataLeft = Padding = 0;
    std::string longName, longLink;
    PaxRecords pax;
    for (;;) {
        unsigned char h[kBlock];
        size_t got = 0;
        while (got < kBlock) {
            const long long n = Source(h + got, kBlock - got);
            if (n < 0) Fail(TTarFault::Read, "the archive cannot be read");
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        if (got == 0 && Started) return false;
        if (got < kBlock)
            Fail(Started ? TTarFault::Broken : TTarFault::NotArchive, "the archive is cut short");
        if (AllZero(h)) {
            if (!Started) Fail(TTarFault::NotArchive, "no tar header");
            return false;
        }
        if (!ChecksumOk(h))
            Fail(Started ? TTarFault::Broken : TTarFault::NotArchive, "a tar header is damaged");
        Started = true;
        uint64_t size = 0, mtime = 0, mode = 0;
        if (!ParseNumber(h + 124, 12, size) || !ParseNumber(h + 136, 12, mtime) ||
            !ParseNumber(h + 100, 8, mode))
            Fail(TTarFault::Broken, "a tar header has a malformed number");
        const char type = static_cast<char>(h[156]);
        const uint64_t padding = PaddingAfter(size);
        if (type == 'L' || type == 'K' || type == 'x' || type == 'g') {
            // A long name or link target (GNU), or extended attributes (POSIX) for the next entry
            // or all that follow: only names and their character set are taken from them.
            if (size > (1u << 20)) Fail(TTarFault::Broken, "an extended header is too long");
            std::string data(static_cast<size_t>(size), '\0');
            ReadExactly(data.data(), data.size());
            Skip(padding);
            const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
            if (type == 'L') {
                longName = Field(bytes, data.size());
            } else if (type == 'K') {
                longLink = Field(bytes, data.size());
            } else if (type == 'x') {
                const PaxRecords records = ParsePax(data);
                if (records.HasPath) pax.Path = records.Path, pax.HasPath = true;
                if (records.HasLinkPath) pax.LinkPath = records.LinkPath, pax.HasLinkPath = true;
                if (records.HasCharset) pax.HasCharset = true, pax.Binary = records.Binary;
            } else {
                const PaxRecords records = ParsePax(data);
                if (records.HasCharset) GlobalBinaryNames = records.Binary;
            }
            continue;
        }
        entry = TarEntry();
        std::string name = Field(h, 100);
        const std::string prefix =
            std::memcmp(h + 257, "ustar", 5) == 0 ? Field(h + 345, 155) : std::string();
        if (!prefix.empty()) name = prefix + "/" + name;
        if (!longName.empty()) name = longName;
        const bool utf8 = !(pax.HasCharset ? pax.Binary : GlobalBinaryNames);
        if (pax.HasPath && !pax.Path.empty()) {
            name = pax.Path;
            entry.NameIsUtf8 = utf8;
        }
        entry.LinkName = Field(h + 157, 100);
        if (!longLink.empty()) entry.LinkName = longLink;
        if (pax.HasLinkPath) {
            entry.LinkName = pax.LinkPath;
            entry.LinkIsUtf8 = utf8;
        }
        entry.Type = (type == '0' || type == '\0' || type == '7') ? TEntryType::File
                     : type == '5'                                ? TEntryType::Folder
                                                                  : TEntryType::Other;
        if (entry.Type == TEntryType::File && !name.empty() && name.back() == '/')
            entry.Type = TEntryType::Folder;
        while (!name.empty() && name.back() == '/') name.pop_back();
        entry.Name = name;
        entry.Size = (entry.Type == TEntryType::File || entry.Type == TEntryType::Other) ? size : 0;
        entry.MTime = static_cast<int64_t>(mtime);
        entry.Mode = static_cast<uint32_t>(mode);
        DataLeft = entry.Type == TEntryType::Folder ? 0 : size;
        Padding = entry.Type == TEntryType::Folder ? 0 : padding;
        if (entry.Type == TEntryType::Folder && size > 0) Skip(size + padding);
        return true;
    }
}

void TarReader::ReadData(const TWrite& sink) {
    unsigned char buffer[1 << 15];
    while (DataLeft > 0) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(DataLeft, sizeof buffer));
        ReadExactly(buffer, chunk);
        DataLeft -= chunk;
        if (!sink(buffer, chunk)) Fail(TTarFault::Write, "the output cannot be written");
    }
}

size_t PaddingAfter(uint64_t size) {
    return static_cast<size_t>((kBlock - size % kBlock) % kBlock);
}

std::vector<unsigned char> EndBlocks() {
    return std::vector<unsigned char>(2 * kBlock, 0);
}

std::vector<unsigned char> Headers(const TarEntry& e) {
    std::string name = e.Name + (e.Type == TEntryType::Folder ? "/" : "");
    const char type = e.Type == TEntryType::Folder ? '5' : '0';
    const uint64_t size = e.Type == TEntryType::Folder ? 0 : e.Size;
    if (name.size() <= 100) return Header(name, "", type, size, e);
    // ustar: a prefix of up to 155 characters split at a '/'.
    for (size_t cut = name.size() > 101 ? name.size() - 101 : 0; cut < name.size() && cut <= 155; ++cut) {
        if (name[cut] == '/' && cut > 0 && name.size() - cut - 1 <= 100 && name.size() - cut - 1 > 0)
            return Header(name.substr(cut + 1), name.substr(0, cut), type, size, e);
    }
    // Longer: a GNU long-name entry before the header.
    TarEntry meta;
    meta.Mode = 0644;
    std::vector<unsigned char> out = Header("././@LongLink", "", 'L', name.size() + 1, meta);
    std::vector<unsigned char> data(name.begin(), name.end());
    data.push_back(0);
    data.resize(data.size() + PaddingAfter(data.size()), 0);
    out.insert(out.end(), data.begin(), data.end());
    const std::vector<unsigned char> h = Header(name.substr(0, 100), "", type, size, e);
    out.insert(out.end(), h.begin(), h.end());
    return out;
}

}  // namespace tarfmt
