// Writer behaviour beyond plain round trips: stored fallback without stale bytes, raw copies
// for updating, progress and cancel, extraction into a fixed buffer.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace lhatest;

namespace {

lha::NewEntry named(const std::string& name) {
    lha::NewEntry ne;
    ne.name = name;
    ne.unix_time = 1704067200;
    return ne;
}

TEST(Writer, FallbackToStoredLeavesNoStaleBytes) {
    // The sink already holds junk, as a reused temporary file would.
    lha::MemorySink sink;
    Bytes junk(3 << 20, 0xEE);
    sink.write(junk.data(), junk.size());
    sink.seek(0);
    lha::Writer w(sink);
    Bytes noise = random_bytes(1 << 20, 11);
    Bytes text = text_like(100000, 12);
    lha::MemorySource a(noise.data(), noise.size()), b(text.data(), text.size());
    lha::Entry ea = w.add_file(named("noise.bin"), a, lha::Method::Lh7);
    lha::Entry eb = w.add_file(named("text.txt"), b, lha::Method::Lh7);
    w.finish();
    EXPECT_EQ(ea.method, "-lh0-");
    EXPECT_EQ(ea.packed_size, noise.size());
    EXPECT_EQ(eb.method, "-lh7-");
    // Exactly two headers, two data parts and the end mark: nothing of the junk or of the
    // abandoned compression attempt remains.
    EXPECT_EQ(sink.data().size(), eb.data_offset + eb.packed_size + 1);
    EXPECT_EQ(sink.data().back(), 0);
    const auto got = extract_all(sink.data());
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(got[0].data == noise);
    EXPECT_EQ(got[1].data, text);
}

TEST(Writer, RawCopiesKeepEntriesByteForByte) {
    // What "u" needs: keep some entries of an old archive, replace one, add one.
    const Bytes old = make_archive({{"keep1.txt", text_like(5000, 1)},
                                    {"replace.txt", text_like(5000, 2)},
                                    {"keep2.bin", random_bytes(300, 3)}},
                                   lha::Method::Lh5, 1);
    lha::MemorySource oldsrc(old.data(), old.size());
    lha::Reader reader(oldsrc);
    const auto entries = reader.list();
    ASSERT_EQ(entries.size(), 3u);

    lha::MemorySink sink;
    lha::Writer w(sink);
    Bytes fresh = text_like(7000, 4);
    lha::Entry c0 = w.add_raw(reader, entries[0]);
    lha::MemorySource fs(fresh.data(), fresh.size());
    w.add_file(named("replace.txt"), fs, lha::Method::Lh6);
    lha::Entry c2 = w.add_raw(reader, entries[2]);
    w.finish();

    const Bytes& neu = sink.data();
    for (auto [copy, orig] : {std::pair{c0, entries[0]}, std::pair{c2, entries[2]}}) {
        const std::size_t len = static_cast<std::size_t>(orig.header_size + orig.packed_size);
        ASSERT_LE(copy.header_offset + len, neu.size());
        EXPECT_TRUE(std::equal(neu.begin() + static_cast<std::ptrdiff_t>(copy.header_offset),
                               neu.begin() + static_cast<std::ptrdiff_t>(copy.header_offset + len),
                               old.begin() + static_cast<std::ptrdiff_t>(orig.header_offset)));
    }
    const auto got = extract_all(neu);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].entry.name, "keep1.txt");
    EXPECT_EQ(got[0].entry.header_level, 1);  // copied headers keep their level
    EXPECT_EQ(got[0].data, text_like(5000, 1));
    EXPECT_EQ(got[1].entry.method, "-lh6-");
    EXPECT_EQ(got[1].data, fresh);
    EXPECT_EQ(got[2].data, random_bytes(300, 3));
}

TEST(Writer, ProgressReportsEveryEntryAndCancelStops) {
    Bytes data = text_like(1 << 20, 5);
    int begins = 0, chunks = 0, ends = 0;
    std::uint64_t last_done = 0;
    lha::ProgressFn count = [&](const lha::Progress& p) {
        if (p.phase == lha::Progress::Phase::EntryBegin)
            ++begins;
        else if (p.phase == lha::Progress::Phase::Data) {
            ++chunks;
            EXPECT_GE(p.done, last_done);
            last_done = p.done;
        } else
            ++ends;
        return true;
    };
    lha::MemorySink sink;
    lha::Writer w(sink);
    lha::MemorySource src(data.data(), data.size());
    w.add_file(named("a.txt"), src, lha::Method::Lh5, count);
    w.finish();
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_GE(chunks, 8);
    EXPECT_EQ(last_done, data.size());

    // Cancel while packing.
    lha::MemorySink sink2;
    lha::Writer w2(sink2);
    lha::MemorySource src2(data.data(), data.size());
    int seen = 0;
    try {
        w2.add_file(named("a.txt"), src2, lha::Method::Lh5, [&](const lha::Progress& p) {
            return p.phase != lha::Progress::Phase::Data || ++seen < 3;
        });
        FAIL() << "no cancel";
    } catch (const lha::Error& e) {
        EXPECT_EQ(e.code(), lha::ErrorCode::Cancelled);
    }

    // Cancel while extracting: the sink gets no more than what was decoded before.
    lha::MemorySource asrc(sink.data().data(), sink.data().size());
    lha::Reader r(asrc);
    lha::Entry e;
    ASSERT_TRUE(r.next(e));
    lha::MemorySink out;
    try {
        r.extract(e, out, [](const lha::Progress& p) { return p.phase != lha::Progress::Phase::Data; });
        FAIL() << "no cancel";
    } catch (const lha::Error& err) {
        EXPECT_EQ(err.code(), lha::ErrorCode::Cancelled);
    }
    EXPECT_LT(out.data().size(), data.size());
}

TEST(Writer, ExtractIntoFixedBufferStillChecksTheWholeEntry) {
    Bytes data = text_like(200000, 6);
    const Bytes archive = make_archive({{"a.txt", data}}, lha::Method::Lh7);
    lha::MemorySource src(archive.data(), archive.size());
    lha::Reader r(src);
    lha::Entry e;
    ASSERT_TRUE(r.next(e));
    Bytes buf(1000);
    lha::FixedBufferSink small(buf.data(), buf.size());
    r.extract(e, small);
    EXPECT_TRUE(small.overflowed());
    EXPECT_EQ(small.stored(), buf.size());
    EXPECT_EQ(small.total(), data.size());
    EXPECT_TRUE(std::equal(buf.begin(), buf.end(), data.begin()));
}

TEST(Writer, RejectsWhatTheLevelCannotHold) {
    lha::MemorySink sink;
    lha::WriterOptions o;
    o.header_level = 0;
    lha::Writer w(sink, o);
    EXPECT_THROW(w.add_directory(named(std::string(240, 'a'))), lha::Error);
    EXPECT_THROW(w.add_directory(named("")), lha::Error);
    o.header_level = 3;
    EXPECT_THROW(lha::Writer(sink, o), lha::Error);
    EXPECT_THROW(lha::parse_method("lh9"), lha::Error);
    EXPECT_EQ(lha::parse_method("-lh6-"), lha::Method::Lh6);
    EXPECT_EQ(lha::parse_method("lh7"), lha::Method::Lh7);
}

}  // namespace

namespace {

// One entry of `data` packed on `threads` threads (0: the library's choice).
Bytes pack_one(const Bytes& data, lha::Method m, int threads) {
    lha::MemorySink sink;
    lha::WriterOptions o;
    o.threads = threads;
    lha::Writer w(sink, o);
    lha::MemorySource src(data.data(), data.size());
    w.add_file(named("big.txt"), src, m);
    w.finish();
    return sink.data();
}

TEST(Writer, ThreadsGiveTheSameArchiveAndStopCleanlyOnCancel) {
    // Four chunks and a bit: more chunks than threads, a seam inside the noise, a short last one.
    Bytes data = text_like(4 << 20, 77);
    Bytes noise = random_bytes(300000, 78);
    data.insert(data.begin() + (3 << 20) - 1000, noise.begin(), noise.end());
    for (lha::Method m : {lha::Method::Lh5, lha::Method::Lh7}) {
        const Bytes one = pack_one(data, m, 1);
        for (int threads : {2, 3, 8}) EXPECT_TRUE(pack_one(data, m, threads) == one) << threads << " threads";
        const auto got = extract_all(one);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_TRUE(got[0].data == data);
    }

    // A cancel while reading ahead, when the threads are encoding the chunks before: the error
    // comes out, nothing is left running.
    lha::MemorySink sink;
    lha::WriterOptions o;
    o.threads = 2;
    lha::Writer w(sink, o);
    lha::MemorySource src(data.data(), data.size());
    int reports = 0;
    try {
        w.add_file(named("big.txt"), src, lha::Method::Lh6, [&](const lha::Progress& p) {
            return p.phase != lha::Progress::Phase::Data || ++reports < 40;
        });
        FAIL() << "no cancel";
    } catch (const lha::Error& e) {
        EXPECT_EQ(e.code(), lha::ErrorCode::Cancelled);
    }
    EXPECT_EQ(reports, 40);
}

TEST(Writer, MatchesReachAcrossChunkSeams) {
    // A random block repeated, its period inside the window: after the first block everything
    // is matches, the starts of later chunks too, when each chunk sees the input before it.
    // A chunk without that history would begin with a whole block of literals.
    const std::size_t block = 6000, chunks = 3;
    const Bytes unit = random_bytes(block, 5);
    Bytes data;
    while (data.size() < chunks * (1 << 20)) data.insert(data.end(), unit.begin(), unit.end());
    const Bytes first(data.begin(), data.begin() + (1 << 20));
    const std::size_t one_chunk = pack_one(first, lha::Method::Lh5, 1).size();
    const Bytes all = pack_one(data, lha::Method::Lh5, 2);
    EXPECT_LT(all.size(), one_chunk * chunks - block) << "each later chunk began with literals";
    const auto got = extract_all(all);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_TRUE(got[0].data == data);
}

}  // namespace
