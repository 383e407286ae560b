#include "lha/lha.h"

#include "BitWriter.h"
#include "EncoderChoice.h"
#include "Header.h"
#include "LzhEncoder.h"

#include <algorithm>
#include <vector>

namespace lha {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

detail::HeaderFields fields_from(const NewEntry& info, std::uint8_t os_id) {
    detail::HeaderFields f;
    f.name = info.name;
    f.dos_time = info.dos_time;
    f.unix_time = info.unix_time;
    f.attributes = info.attributes;
    f.has_file_times = info.has_file_times;
    f.creation_time = info.creation_time;
    f.write_time = info.write_time;
    f.access_time = info.access_time;
    f.os_id = os_id;
    return f;
}

}  // namespace

Writer::Writer(ByteSink& sink, WriterOptions options) : sink_(sink), options_(options) {
    if (options_.header_level < 0 || options_.header_level > 2)
        throw Error(ErrorCode::InvalidArgument, "header level must be 0, 1 or 2");
}

Writer::~Writer() = default;

Entry Writer::add_file(const NewEntry& info, ByteSource& data, Method method, const ProgressFn& progress) {
    if (finished_) throw Error(ErrorCode::InvalidArgument, "archive already finished");
    const int level = options_.header_level;
    const std::uint64_t start = data.tell();
    const std::uint64_t expected = data.size() > start ? data.size() - start : 0;
    detail::HeaderFields f = fields_from(info, options_.os_id);
    f.method = method_name(method);
    f.large = expected > 0xFFFFFFFFu;
    f.original_size = expected;

    Entry shown = detail::entry_from_fields(f, level);
    Progress pr;
    pr.entry = &shown;
    pr.total = expected;
    auto report = [&](Progress::Phase phase) {
        pr.phase = phase;
        if (progress && !progress(pr)) throw Error(ErrorCode::Cancelled, "cancelled");
    };
    report(Progress::Phase::EntryBegin);

    const std::uint64_t header_pos = sink_.tell();
    const auto placeholder = detail::build_header(f, level);
    sink_.write(placeholder.data(), placeholder.size());
    const std::uint64_t data_pos = sink_.tell();

    std::uint16_t crc = 0;
    std::uint64_t done = 0, since = 0;
    // Reads the source, keeping CRC, count and progress.
    auto pull = [&](unsigned char* buf, std::size_t n) -> std::size_t {
        std::size_t got = data.read(buf, std::min(n, kChunk));
        crc = crc16(buf, got, crc);
        done += got;
        since += got;
        if (since >= kChunk || got == 0) {
            since = 0;
            pr.done = done;
            report(Progress::Phase::Data);
        }
        return got;
    };

    bool stored = method == Method::Lh0 || expected == 0;
    std::uint64_t packed = 0;
    if (!stored) {
        try {
            detail::BitWriter bw(sink_, expected);
            // Kept per method: archives of many small files would otherwise spend their time
            // setting up windows and tables.
            detail::LzhEncoder& enc = detail::encoder_for(encoders_, method, options_);
            enc.encode(pull, bw, expected);
            bw.flush();
            packed = bw.bytes();
            if (packed >= done) stored = true;
        } catch (const detail::LimitExceeded&) {
            stored = true;
        }
    }
    if (stored) {
        // Compression did not pay: store the data again from the start.
        data.seek(start);
        sink_.seek(data_pos);
        crc = 0;
        done = 0;
        since = 0;
        std::vector<unsigned char> buf(kChunk);
        for (;;) {
            std::size_t got = pull(buf.data(), buf.size());
            if (got == 0) break;
            sink_.write(buf.data(), got);
        }
        packed = done;
        f.method = "-lh0-";
    }
    if (done > 0xFFFFFFFFu && !f.large)
        throw Error(ErrorCode::Io, "file grew beyond 4 GiB while being read: " + info.name);
    const std::uint64_t end = data_pos + packed;
    f.original_size = done;
    f.packed_size = packed;
    f.crc = crc;
    sink_.seek(header_pos);
    auto header = detail::build_header(f, level);
    sink_.write(header.data(), header.size());
    sink_.seek(end);
    if (stored) sink_.truncate();  // nothing of the abandoned attempt may stay behind
    Entry e = detail::entry_from_fields(f, level);
    e.header_offset = header_pos;
    e.header_size = header.size();
    e.data_offset = data_pos;
    pr.entry = &e;
    pr.done = done;
    pr.total = done;
    report(Progress::Phase::EntryEnd);
    return e;
}

Entry Writer::add_packed(const NewEntry& info, const PackedData& data, const ProgressFn& progress) {
    if (finished_) throw Error(ErrorCode::InvalidArgument, "archive already finished");
    if (data.method == Method::Lh0 ? data.bytes.size() != data.original_size : data.original_size == 0)
        throw Error(ErrorCode::InvalidArgument, "packed data does not fit its sizes: " + info.name);
    const int level = options_.header_level;
    detail::HeaderFields f = fields_from(info, options_.os_id);
    f.method = method_name(data.method);
    f.large = data.original_size > 0xFFFFFFFFu;
    f.original_size = data.original_size;
    f.packed_size = data.bytes.size();
    f.crc = data.crc;
    Entry e = detail::entry_from_fields(f, level);
    Progress pr;
    pr.entry = &e;
    pr.total = data.original_size;
    auto report = [&](Progress::Phase phase) {
        pr.phase = phase;
        if (progress && !progress(pr)) throw Error(ErrorCode::Cancelled, "cancelled");
    };
    report(Progress::Phase::EntryBegin);
    const auto header = detail::build_header(f, level);
    e.header_offset = sink_.tell();
    e.header_size = header.size();
    e.data_offset = e.header_offset + header.size();
    sink_.write(header.data(), header.size());
    if (!data.bytes.empty()) sink_.write(data.bytes.data(), data.bytes.size());
    pr.done = data.original_size;
    report(Progress::Phase::Data);
    report(Progress::Phase::EntryEnd);
    return e;
}

Entry Writer::add_directory(const NewEntry& info) {
    if (finished_) throw Error(ErrorCode::InvalidArgument, "archive already finished");
    detail::HeaderFields f = fields_from(info, options_.os_id);
    f.method = "-lhd-";
    f.is_directory = true;
    f.attributes = static_cast<std::uint16_t>(f.attributes | kAttrDirectory);
    const std::uint64_t header_pos = sink_.tell();
    auto header = detail::build_header(f, options_.header_level);
    sink_.write(header.data(), header.size());
    Entry e = detail::entry_from_fields(f, options_.header_level);
    e.header_offset = header_pos;
    e.header_size = header.size();
    e.data_offset = header_pos + header.size();
    return e;
}

Entry Writer::add_raw(Reader& from, const Entry& entry) {
    if (finished_) throw Error(ErrorCode::InvalidArgument, "archive already finished");
    const std::uint64_t header_pos = sink_.tell();
    from.copy_raw(entry, sink_);
    Entry e = entry;
    e.header_offset = header_pos;
    e.data_offset = header_pos + entry.header_size;
    return e;
}

void Writer::finish() {
    if (finished_) return;
    const unsigned char end_mark = 0;
    sink_.write(&end_mark, 1);
    sink_.truncate();
    finished_ = true;
}

}  // namespace lha
