#include "lha/lha.h"

#include "BitReader.h"
#include "Header.h"
#include "LzhDecoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lha {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool looks_like_method(const unsigned char* m) {
    return m[0] == '-' && m[4] == '-' && m[1] == 'l' && (m[2] == 'h' || m[2] == 'z');
}

// Finds the first offset below `limit` where a whole header parses.
bool find_start(ByteSource& src, std::uint64_t limit, std::uint64_t& offset) {
    const std::uint64_t size = src.size();
    std::vector<unsigned char> buf(kChunk + 8);
    for (std::uint64_t base = 0; base < limit && base < size; base += kChunk) {
        src.seek(base);
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk + 7, size - base));
        std::size_t got = 0;
        while (got < want) {
            std::size_t k = src.read(buf.data() + got, want - got);
            if (k == 0) break;
            got += k;
        }
        for (std::size_t i = 0; i + 7 <= got && i < kChunk && base + i < limit; ++i) {
            if (!looks_like_method(&buf[i + 2])) continue;
            Entry e;
            try {
                if (detail::read_header(src, base + i, e)) {
                    offset = base + i;
                    return true;
                }
            } catch (const Error&) {
            }
        }
    }
    return false;
}

}  // namespace

Reader::Reader(ByteSource& source, ReaderOptions options) : source_(source), options_(options) {}

Reader::~Reader() = default;

void Reader::rewind() {
    started_ = false;
    ended_ = false;
    next_offset_ = 0;
}

bool Reader::next(Entry& entry) {
    if (ended_) return false;
    if (!started_) {
        started_ = true;
        next_offset_ = 0;
        if (options_.search_limit > 0) {
            Entry probe;
            bool direct = false;
            try {
                direct = detail::read_header(source_, 0, probe);
            } catch (const Error&) {
            }
            if (!direct && !find_start(source_, options_.search_limit, next_offset_))
                throw Error(ErrorCode::BadArchive, "no LHA header found");
        }
    }
    Entry e;
    if (!detail::read_header(source_, next_offset_, e)) {
        ended_ = true;
        return false;
    }
    const std::uint64_t size = source_.size();
    if (e.data_offset > size || e.packed_size > size - e.data_offset)
        throw Error(ErrorCode::Truncated, "archive ends inside the data of " + e.name);
    next_offset_ = e.data_offset + e.packed_size;
    entry = std::move(e);
    return true;
}

std::vector<Entry> Reader::list() {
    rewind();
    std::vector<Entry> out;
    Entry e;
    while (next(e)) out.push_back(e);
    return out;
}

void Reader::extract(const Entry& entry, ByteSink& out, const ProgressFn& progress) {
    Progress pr;
    pr.entry = &entry;
    pr.total = entry.original_size;
    auto report = [&](Progress::Phase phase) {
        pr.phase = phase;
        if (progress && !progress(pr)) throw Error(ErrorCode::Cancelled, "cancelled");
    };
    if (!entry.method_supported())
        throw Error(ErrorCode::UnknownMethod,
                    "cannot extract " + entry.name + ": unsupported method " + entry.method);
    report(Progress::Phase::EntryBegin);
    if (entry.is_directory || entry.method == "-lhd-") {
        report(Progress::Phase::EntryEnd);
        return;
    }
    source_.seek(entry.data_offset);
    std::uint16_t crc = 0;
    std::uint64_t since = 0;
    auto deliver = [&](const unsigned char* p, std::size_t n) {
        out.write(p, n);
        crc = crc16(p, n, crc);
        pr.done += n;
        since += n;
        if (since >= kChunk) {
            since = 0;
            pr.phase = Progress::Phase::Data;
            if (progress && !progress(pr)) return false;
        }
        return true;
    };
    if (entry.method == "-lh0-" || entry.method == "-lz4-") {
        if (entry.packed_size != entry.original_size)
            throw Error(ErrorCode::BadArchive, "stored entry with differing sizes: " + entry.name);
        std::vector<unsigned char> buf(kChunk);
        std::uint64_t left = entry.packed_size;
        while (left > 0) {
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
            std::size_t got = source_.read(buf.data(), want);
            if (got == 0) throw Error(ErrorCode::Truncated, "archive ends inside the data of " + entry.name);
            left -= got;
            if (!deliver(buf.data(), got)) throw Error(ErrorCode::Cancelled, "cancelled");
        }
    } else {
        int bits = entry.method == "-lh4-"   ? 12
                   : entry.method == "-lh5-" ? 13
                   : entry.method == "-lh6-" ? 15
                                             : 16;
        detail::BitReader br(source_, entry.packed_size);
        detail::LzhDecoder dec(detail::MethodParams{bits});
        try {
            dec.decode(br, entry.original_size, deliver);
        } catch (const Error& err) {
            if (err.code() == ErrorCode::Cancelled) throw;
            throw Error(err.code(), std::string(err.what()) + ": " + entry.name);
        }
    }
    if (crc != entry.crc) throw Error(ErrorCode::CrcMismatch, "CRC mismatch: " + entry.name);
    report(Progress::Phase::EntryEnd);
}

void Reader::test(const Entry& entry, const ProgressFn& progress) {
    NullSink sink;
    extract(entry, sink, progress);
}

void Reader::copy_raw(const Entry& entry, ByteSink& out) {
    source_.seek(entry.header_offset);
    std::uint64_t left = entry.header_size + entry.packed_size;
    std::vector<unsigned char> buf(kChunk);
    while (left > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
        std::size_t got = source_.read(buf.data(), want);
        if (got == 0) throw Error(ErrorCode::Truncated, "archive ends inside the data of " + entry.name);
        out.write(buf.data(), got);
        left -= got;
    }
}

bool looks_like_archive(ByteSource& source, std::uint64_t search_limit) {
    try {
        ReaderOptions o;
        o.search_limit = search_limit;
        Reader r(source, o);
        Entry e;
        return r.next(e);
    } catch (const Error&) {
        return false;
    }
}

}  // namespace lha
