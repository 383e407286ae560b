// Packing apart from the archive (for several files at once) must give the archive add_file
// gives, and an encoder kept from one input to the next must not see the earlier input.
#include "MatchFinder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace lhatest;

namespace {

lha::NewEntry named(const std::string& name) {
    lha::NewEntry ne;
    ne.name = name;
    ne.unix_time = 1704067200;
    ne.has_file_times = true;
    ne.write_time = 133485408000000000ull;
    return ne;
}

TEST(Packer, AddPackedWritesTheBytesOfAddFile) {
    // Empty, tiny, stored (noise), text, and one over 1 MiB that add_file parses on two threads.
    const std::vector<Bytes> inputs = {Bytes{},           Bytes{'a'},          random_bytes(5000, 1),
                                       text_like(300, 2), text_like(70000, 3), text_like(1500000, 4)};
    for (int level = 0; level <= 2; ++level)
        for (lha::Method m : {lha::Method::Lh0, lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7}) {
            if (level < 2 && m != lha::Method::Lh5) continue;  // the headers differ by level, not by method
            lha::MemorySink direct, viaPacker;
            lha::WriterOptions two;
            two.threads = 2;
            two.header_level = level;
            lha::Writer w1(direct, two);
            lha::WriterOptions one;
            one.threads = 1;
            one.header_level = level;
            lha::Writer w2(viaPacker, one);
            lha::Packer packer(one);
            lha::PackedData packed;
            int begins = 0, ends = 0;
            const lha::ProgressFn count = [&](const lha::Progress& p) {
                begins += p.phase == lha::Progress::Phase::EntryBegin;
                ends += p.phase == lha::Progress::Phase::EntryEnd;
                return true;
            };
            for (std::size_t i = 0; i < inputs.size(); ++i) {
                std::string name = "f";
                name += std::to_string(i);
                lha::MemorySource src(inputs[i].data(), inputs[i].size());
                const lha::Entry a = w1.add_file(named(name), src, m);
                packer.pack(inputs[i].data(), inputs[i].size(), m, packed);
                const lha::Entry b = w2.add_packed(named(name), packed, count);
                EXPECT_EQ(a.method, b.method) << name;
                EXPECT_EQ(a.packed_size, b.packed_size) << name;
                EXPECT_EQ(a.crc, b.crc) << name;
            }
            w1.finish();
            w2.finish();
            EXPECT_EQ(begins, static_cast<int>(inputs.size()));
            EXPECT_EQ(ends, static_cast<int>(inputs.size()));
            ASSERT_EQ(direct.data(), viaPacker.data()) << lha::method_name(m) << " level " << level;
            const auto got = extract_all(viaPacker.data());
            ASSERT_EQ(got.size(), inputs.size());
            for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(got[i].data, inputs[i]);
        }
}

TEST(Packer, KeptEncoderDoesNotReachIntoTheInputBefore) {
    // The second input repeats the first: matches into the first (whose tables are kept) would
    // make other and undecodable output.
    const Bytes first = text_like(40000, 5);
    Bytes second(first.begin(), first.begin() + 30000);
    for (lha::Method m : {lha::Method::Lh5, lha::Method::Lh7}) {
        lha::Packer kept, fresh;
        lha::PackedData a, b;
        kept.pack(first.data(), first.size(), m, a);
        kept.pack(second.data(), second.size(), m, a);
        fresh.pack(second.data(), second.size(), m, b);
        EXPECT_EQ(a.bytes, b.bytes) << lha::method_name(m);
    }
}

TEST(Packer, MatchFinderWipesItsTablesWhenPositionNumbersRunOut) {
    // Each start reserves its span; after about 2^30 numbers they begin again at 0, where the
    // entries of old inputs would be in reach unless wiped.
    Bytes buf = text_like(4096, 6);
    buf.resize(buf.size() + 16, 0);
    lha::detail::MatchFinder f(13, 24, 96);
    f.start(1 << 29);
    for (int i = 0; i < 2000; ++i) f.skip(buf.data(), i, 256, lha::detail::Match{0, 0});
    f.start(1 << 29);  // would pass 2^30: wiped
    lha::detail::Match out[300];
    int found = 0;
    for (int i = 0; i < 64; ++i) found += f.find(buf.data(), i, 256, lha::detail::Match{0, 0}, out);
    lha::detail::MatchFinder clean(13, 24, 96);
    clean.start(4096);
    int expected = 0;
    for (int i = 0; i < 64; ++i) expected += clean.find(buf.data(), i, 256, lha::detail::Match{0, 0}, out);
    EXPECT_EQ(found, expected);
}

}  // namespace
