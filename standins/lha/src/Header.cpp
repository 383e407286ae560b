#include "Header.h"

#include "ShiftJis.h"

#include <algorithm>
#include <cstring>

namespace lha::detail {

namespace {

std::uint16_t get16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t get64(const unsigned char* p) {
    return static_cast<std::uint64_t>(get32(p)) | (static_cast<std::uint64_t>(get32(p + 4)) << 32);
}
void put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}
void put64(unsigned char* p, std::uint64_t v) {
    put32(p, static_cast<std::uint32_t>(v));
    put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

[[noreturn]] void bad(const char* what) {
    throw Error(ErrorCode::BadArchive, what);
}
[[noreturn]] void truncated() {
    throw Error(ErrorCode::Truncated, "archive ends inside a header");
}

void read_exact(ByteSource& src, unsigned char* buf, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        std::size_t k = src.read(buf + got, n - got);
        if (k == 0) truncated();
        got += k;
    }
}

// Normalises separators to '\\' and drops a trailing one (double-byte characters kept whole).
std::string normalise_name(std::string_view raw) {
    auto parts = split_path(raw);
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    std::vector<std::string> kept;
    for (auto& p : parts)
        if (!p.empty()) kept.push_back(std::move(p));
    // A leading separator is kept as a marker of an absolute name; extraction drops it.
    std::string out = (!raw.empty() && (raw[0] == '\\' || raw[0] == '/')) ? "\\" : "";
    return out + join_path(kept, kept.size());
}

bool is_method_text(const unsigned char* m) {
    if (m[0] != '-' || m[4] != '-') return false;
    for (int i = 1; i < 4; ++i)
        if (m[i] < 0x20 || m[i] > 0x7E) return false;
    return true;
}

struct ExtState {
    std::string file_name;
    bool has_file_name = false;
    std::string dir_name;
    bool has_dir = false;
    bool has_header_crc = false;
    std::size_t header_crc_pos = 0;  // offset of the CRC bytes in the header buffer
    std::uint16_t header_crc = 0;
};

// Parses one extended header (type byte first, `len` data bytes).
void parse_ext(const unsigned char* p, std::size_t len, std::size_t pos_in_buf, Entry& e, ExtState& st) {
    unsigned type = p[0];
    const unsigned char* d = p + 1;
    switch (type) {
        case 0x00:
            if (len >= 2) {
                st.has_header_crc = true;
                st.header_crc_pos = pos_in_buf + 1;
                st.header_crc = get16(d);
            }
            break;
        case 0x01:
            st.file_name.assign(reinterpret_cast<const char*>(d), len);
            st.has_file_name = true;
            break;
        case 0x02:
            st.dir_name.assign(reinterpret_cast<const char*>(d), len);
            st.has_dir = true;
            break;
        case 0x3F:
            e.comment.assign(reinterpret_cast<const char*>(d), len);
            break;
        case 0x40:
            if (len >= 2) e.attributes = get16(d);
            break;
        case 0x41:
            if (len >= 24) {
                e.has_file_times = true;
                e.creation_time = get64(d);
                e.write_time = get64(d + 8);
                e.access_time = get64(d + 16);
            }
            break;
        case 0x42:
            if (len >= 16) {
                e.packed_size = get64(d);
                e.original_size = get64(d + 8);
            }
            break;
        case 0x50:
            if (len >= 2) {
                e.has_unix_mode = true;
                e.unix_mode = get16(d);
            }
            break;
        case 0x54:
            if (len >= 4) {
                e.has_unix_time = true;
                e.unix_time = get32(d);
            }
            break;
        default:
            break;
    }
}

void finish_names(Entry& e, const std::string& base_name, const ExtState& st) {
    std::string file = st.has_file_name ? st.file_name : base_name;
    std::string full;
    if (st.has_dir && !st.dir_name.empty()) {
        full = st.dir_name;
        if (!file.empty()) full += '\\';
    }
    full += file;
    e.name = normalise_name(full);
    if (e.method == "-lhd-") e.is_directory = true;
    if (e.name.empty() || e.name == "\\") bad("entry without a name");
}

// The checksummed base header of levels 0 and 1 (size bytes, the first 22 already read), with
// the fields both levels keep in the same places.
std::vector<unsigned char> read_base_header(ByteSource& src, const unsigned char* b22, std::size_t size,
                                            std::size_t minimum, Entry& e) {
    if (size < minimum) bad("header too short for its name");
    std::vector<unsigned char> h(size);
    std::memcpy(h.data(), b22, 22);
    read_exact(src, h.data() + 22, size - 22);
    unsigned sum = 0;
    for (std::size_t i = 2; i < size; ++i) sum += h[i];
    if ((sum & 0xFF) != h[1]) bad("header checksum mismatch");
    e.original_size = get32(&h[11]);
    e.has_dos_time = true;
    e.dos_time = get32(&h[15]);
    e.attributes = h[19];
    return h;
}

bool level0(ByteSource& src, std::uint64_t offset, const unsigned char* b22, Entry& e) {
    std::size_t total = static_cast<std::size_t>(b22[0]) + 2;
    std::size_t n = b22[21];
    std::vector<unsigned char> h = read_base_header(src, b22, total, 24 + n, e);
    e.packed_size = get32(&h[7]);
    e.crc = get16(&h[22 + n]);
    e.os_id = 0;
    std::size_t ext = total - 24 - n;
    if (ext >= 1) {
        const unsigned char* x = &h[24 + n];
        e.os_id = x[0];
        if (x[0] == 'U' && ext >= 7) {
            e.has_unix_time = true;
            e.unix_time = get32(x + 1);
            e.has_unix_mode = true;
            e.unix_mode = get16(x + 5);
        }
    }
    e.header_size = total;
    e.data_offset = offset + total;
    ExtState st;
    finish_names(e, std::string(reinterpret_cast<const char*>(&h[22]), n), st);
    if (!e.is_directory && (e.attributes & kAttrDirectory) && e.original_size == 0) e.is_directory = true;
    return true;
}

bool level1(ByteSource& src, std::uint64_t offset, const unsigned char* b22, Entry& e) {
    std::size_t base = static_cast<std::size_t>(b22[0]) + 2;
    std::size_t n = b22[21];
    std::vector<unsigned char> h = read_base_header(src, b22, base, 27 + n, e);
    std::uint64_t skip = get32(&h[7]);
    e.crc = get16(&h[22 + n]);
    e.os_id = h[24 + n];
    std::string base_name(reinterpret_cast<const char*>(&h[22]), n);
    ExtState st;
    std::uint64_t ext_total = 0;
    std::size_t next = get16(&h[base - 2]);
    std::vector<unsigned char> x;
    bool big = false;
    while (next != 0) {
        if (next < 3) bad("extended header too short");
        ext_total += next;
        if (ext_total > skip && !big) bad("extended headers longer than the entry");
        x.resize(next);
        read_exact(src, x.data(), next);
        std::uint64_t before = e.packed_size;
        parse_ext(x.data(), next - 3, 0, e, st);
        if (x[0] == 0x42 && e.packed_size != before) big = true;
        next = get16(&x[next - 2]);
        if (ext_total > 0x100000) bad("extended headers too long");
    }
    if (big) {
        // 64-bit sizes: the extension holds the packed size itself.
    } else {
        e.packed_size = skip - ext_total;
    }
    e.header_size = base + ext_total;
    e.data_offset = offset + e.header_size;
    finish_names(e, base_name, st);
    return true;
}

bool level2(ByteSource& src, std::uint64_t offset, const unsigned char* b22, Entry& e) {
    std::size_t total = get16(b22);
    if (total < 26) bad("header too short");
    std::vector<unsigned char> h(total);
    std::memcpy(h.data(), b22, 22);
    read_exact(src, h.data() + 22, total - 22);
    e.packed_size = get32(&h[7]);
    e.original_size = get32(&h[11]);
    e.has_unix_time = true;
    e.unix_time = get32(&h[15]);
    e.attributes = kAttrArchive;
    e.crc = get16(&h[21]);
    e.os_id = h[23];
    ExtState st;
    std::size_t pos = 24;
    std::size_t next = get16(&h[pos]);
    pos += 2;
    while (next != 0) {
        if (next < 3) bad("extended header too short");
        if (pos + next > total) bad("extended header beyond the header");
        parse_ext(&h[pos], next - 3, pos, e, st);
        pos += next;
        next = get16(&h[pos - 2]);
    }
    if (st.has_header_crc) {
        h[st.header_crc_pos] = h[st.header_crc_pos + 1] = 0;
        if (crc16(h.data(), total) != st.header_crc)
            throw Error(ErrorCode::CrcMismatch, "header CRC mismatch");
    }
    e.header_size = total;
    e.data_offset = offset + total;
    finish_names(e, std::string(), st);
    return true;
}

}  // namespace

bool read_header(ByteSource& source, std::uint64_t offset, Entry& entry) {
    source.seek(offset);
    unsigned char b[22];
    std::size_t got = 0;
    while (got < 22) {
        std::size_t k = source.read(b + got, 22 - got);
        if (k == 0) break;
        got += k;
    }
    if (got == 0 || b[0] == 0) return false;  // end of file or end mark
    if (got < 22) truncated();
    if (!is_method_text(b + 2)) bad("not an LHA header");
    Entry e;
    e.method.assign(reinterpret_cast<const char*>(b + 2), 5);
    e.header_level = b[20];
    e.header_offset = offset;
    switch (b[20]) {
        case 0:
            level0(source, offset, b, e);
            break;
        case 1:
            level1(source, offset, b, e);
            break;
        case 2:
            level2(source, offset, b, e);
            break;
        default:
            bad("unsupported header level");
    }
    if (e.is_directory) {
        e.attributes |= kAttrDirectory;
    }
    entry = std::move(e);
    return true;
}

namespace {

struct Ext {
    unsigned char type;
    std::vector<unsigned char> data;
};

void add_ext(std::vector<Ext>& exts, unsigned char type, const void* p, std::size_t n) {
    Ext x{type, {}};
    x.data.assign(static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + n);
    exts.push_back(std::move(x));
}

// Splits a name into its directory part (0xFF-separated, with a trailing 0xFF) and its last part.
void split_for_header(const HeaderFields& f, std::string& dir, std::string& file) {
    auto parts = split_path(f.name);
    std::vector<std::string> kept;
    for (auto& p : parts)
        if (!p.empty()) kept.push_back(p);
    if (kept.empty()) throw Error(ErrorCode::InvalidArgument, "empty entry name");
    std::size_t ndir = f.is_directory ? kept.size() : kept.size() - 1;
    dir.clear();
    for (std::size_t i = 0; i < ndir; ++i) {
        dir += kept[i];
        dir += '\xFF';
    }
    file = f.is_directory ? std::string() : kept.back();
}

void put_exts(std::vector<unsigned char>& h, const std::vector<Ext>& exts) {
    // Each extension: type, data, then the size of the next one (0 ends the chain). The size of
    // the first sits at the end of the base header, already reserved by the caller.
    std::size_t first_size_pos = h.size() - 2;
    put16(&h[first_size_pos], exts.empty() ? 0 : static_cast<std::uint32_t>(exts[0].data.size() + 3));
    for (std::size_t i = 0; i < exts.size(); ++i) {
        h.push_back(exts[i].type);
        h.insert(h.end(), exts[i].data.begin(), exts[i].data.end());
        std::size_t next = i + 1 < exts.size() ? exts[i + 1].data.size() + 3 : 0;
        if (next > 0xFFFF) throw Error(ErrorCode::InvalidArgument, "extended header too long");
        h.push_back(static_cast<unsigned char>(next));
        h.push_back(static_cast<unsigned char>(next >> 8));
    }
}

void common_exts(const HeaderFields& f, std::vector<Ext>& exts) {
    unsigned char a[2];
    put16(a, f.attributes);
    add_ext(exts, 0x40, a, 2);
    if (f.has_file_times) {
        unsigned char t[24];
        put64(t, f.creation_time);
        put64(t + 8, f.write_time);
        put64(t + 16, f.access_time);
        add_ext(exts, 0x41, t, 24);
    }
}

}  // namespace

std::vector<unsigned char> build_header(const HeaderFields& f, int level) {
    if (f.method.size() != 5) throw Error(ErrorCode::InvalidArgument, "method must be five characters");
    bool need64 = f.large || f.original_size > 0xFFFFFFFFu || f.packed_size > 0xFFFFFFFFu;
    if (need64 && level != 2)
        throw Error(ErrorCode::InvalidArgument, "entries over 4 GiB need header level 2");
    std::string dir, file;
    split_for_header(f, dir, file);
    std::vector<unsigned char> h;
    if (level == 0) {
        std::string name = dir;
        for (auto& c : name)
            if (static_cast<unsigned char>(c) == 0xFF) c = '\\';
        name += file;
        if (f.is_directory && !name.empty())
            name.pop_back();  // no trailing separator: the method marks the directory
        if (name.size() > 255 - 22)
            throw Error(ErrorCode::InvalidArgument, "name too long for header level 0");
        h.assign(24 + name.size(), 0);
        h[0] = static_cast<unsigned char>(h.size() - 2);
        std::memcpy(&h[2], f.method.data(), 5);
        put32(&h[7], static_cast<std::uint32_t>(f.packed_size));
        put32(&h[11], static_cast<std::uint32_t>(f.original_size));
        put32(&h[15], f.dos_time);
        h[19] = static_cast<unsigned char>(f.attributes);
        h[20] = 0;
        h[21] = static_cast<unsigned char>(name.size());
        std::memcpy(&h[22], name.data(), name.size());
        put16(&h[22 + name.size()], f.crc);
        unsigned sum = 0;
        for (std::size_t i = 2; i < h.size(); ++i) sum += h[i];
        h[1] = static_cast<unsigned char>(sum);
        return h;
    }
    if (level == 1) {
        if (file.size() > 255 - 25)
            throw Error(ErrorCode::InvalidArgument, "name too long for header level 1");
        std::vector<Ext> exts;
        if (!dir.empty()) add_ext(exts, 0x02, dir.data(), dir.size());
        common_exts(f, exts);
        unsigned char t[4];
        put32(t, static_cast<std::uint32_t>(f.unix_time));
        add_ext(exts, 0x54, t, 4);
        h.assign(27 + file.size(), 0);
        h[0] = static_cast<unsigned char>(h.size() - 2);
        std::memcpy(&h[2], f.method.data(), 5);
        put32(&h[11], static_cast<std::uint32_t>(f.original_size));
        put32(&h[15], f.dos_time);
        h[19] = 0x20;
        h[20] = 1;
        h[21] = static_cast<unsigned char>(file.size());
        std::memcpy(&h[22], file.data(), file.size());
        put16(&h[22 + file.size()], f.crc);
        h[24 + file.size()] = f.os_id;
        std::size_t base = h.size();
        put_exts(h, exts);
        std::uint64_t skip = f.packed_size + (h.size() - base);
        if (skip > 0xFFFFFFFFu)
            throw Error(ErrorCode::InvalidArgument, "entries over 4 GiB need header level 2");
        put32(&h[7], static_cast<std::uint32_t>(skip));
        unsigned sum = 0;
        for (std::size_t i = 2; i < base; ++i) sum += h[i];
        h[1] = static_cast<unsigned char>(sum);
        return h;
    }
    if (level != 2) throw Error(ErrorCode::InvalidArgument, "header level must be 0, 1 or 2");
    std::vector<Ext> exts;
    unsigned char zero[2] = {0, 0};
    add_ext(exts, 0x00, zero, 2);  // header CRC, filled below
    if (!file.empty()) add_ext(exts, 0x01, file.data(), file.size());
    if (!dir.empty()) add_ext(exts, 0x02, dir.data(), dir.size());
    common_exts(f, exts);
    if (need64) {
        unsigned char s[16];
        put64(s, f.packed_size);
        put64(s + 8, f.original_size);
        add_ext(exts, 0x42, s, 16);
    }
    h.assign(26, 0);
    std::memcpy(&h[2], f.method.data(), 5);
    put32(&h[7], static_cast<std::uint32_t>(std::min<std::uint64_t>(f.packed_size, 0xFFFFFFFFu)));
    put32(&h[11], static_cast<std::uint32_t>(std::min<std::uint64_t>(f.original_size, 0xFFFFFFFFu)));
    put32(&h[15], static_cast<std::uint32_t>(f.unix_time));
    h[19] = 0x20;
    h[20] = 2;
    put16(&h[21], f.crc);
    h[23] = f.os_id;
    put_exts(h, exts);
    // A header whose size has a zero low byte would read as the end mark: pad it by one byte.
    if ((h.size() & 0xFF) == 0) h.push_back(0);
    if (h.size() > 0xFFFF) throw Error(ErrorCode::InvalidArgument, "header too long");
    put16(&h[0], static_cast<std::uint32_t>(h.size()));
    // The CRC extension is the first: its two data bytes follow the type byte at offset 26.
    put16(&h[27], crc16(h.data(), h.size()));
    return h;
}

Entry entry_from_fields(const HeaderFields& f, int level) {
    Entry e;
    e.name = f.name;
    while (!e.name.empty()) {
        auto parts = split_path(e.name);
        if (parts.back().empty())
            e.name = join_path(parts, parts.size() - 1);
        else
            break;
    }
    e.is_directory = f.is_directory;
    e.method = f.method;
    e.original_size = f.original_size;
    e.packed_size = f.packed_size;
    e.crc = f.crc;
    e.has_dos_time = level < 2;
    e.dos_time = f.dos_time;
    e.has_unix_time = level >= 1;
    e.unix_time = f.unix_time;
    e.has_file_times = f.has_file_times && level >= 1;
    e.creation_time = f.creation_time;
    e.write_time = f.write_time;
    e.access_time = f.access_time;
    e.attributes = f.attributes;
    if (f.is_directory) e.attributes |= kAttrDirectory;
    e.header_level = level;
    e.os_id = level == 0 ? 0 : f.os_id;
    return e;
}

}  // namespace lha::detail
