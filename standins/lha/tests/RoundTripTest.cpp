// Our writer and reader against each other, for every method and header level.
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace lhatest;

namespace {

struct Case {
    lha::Method method;
    int level;
};

class RoundTrip : public ::testing::TestWithParam<Case> {};

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    std::string m = lha::method_name(info.param.method);
    return m.substr(1, 3) + "_level" + std::to_string(info.param.level);
}

TEST_P(RoundTrip, EveryKindOfDataComesBackExactly) {
    const std::vector<File> files = {
        {"empty.txt", {}},
        {"one.bin", {0x5A}},
        {"repeat.txt", repetitive(200000)},
        {"random.bin", random_bytes(70000, 1)},
        {"text\\source.cpp", text_like(300000, 2)},
        {"text\\sub", {}, true},
        {"two.bin", {0xFF, 0x00}},
    };
    const Bytes archive = make_archive(files, GetParam().method, GetParam().level);
    const auto got = extract_all(archive);
    ASSERT_EQ(got.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        EXPECT_EQ(got[i].entry.name, files[i].name);
        EXPECT_EQ(got[i].entry.is_directory, files[i].directory);
        EXPECT_EQ(got[i].entry.header_level, GetParam().level);
        EXPECT_EQ(got[i].entry.original_size, files[i].data.size());
        EXPECT_EQ(got[i].data, files[i].data);
    }
    // What does not compress is stored; what does is packed with the method asked for.
    const std::string packed = lha::method_name(GetParam().method);
    EXPECT_EQ(got[0].entry.method, "-lh0-");
    EXPECT_EQ(got[1].entry.method, "-lh0-");
    EXPECT_EQ(got[3].entry.method, "-lh0-");
    EXPECT_EQ(got[3].entry.packed_size, files[3].data.size());
    EXPECT_EQ(got[2].entry.method, packed);
    EXPECT_EQ(got[4].entry.method, packed);
    EXPECT_EQ(got[5].entry.method, "-lhd-");
    if (GetParam().method != lha::Method::Lh0) {
        EXPECT_LT(got[2].entry.packed_size, 2000u);
        EXPECT_LT(got[4].entry.packed_size, files[4].data.size() / 3);
    }
}

TEST_P(RoundTrip, SeveralMebibytesWithMixedContent) {
    Bytes big = text_like(3 << 20, 7);
    Bytes noise = random_bytes(1 << 20, 8);
    big.insert(big.begin() + (1 << 20), noise.begin(), noise.end());
    Bytes rep = repetitive(1 << 20);
    big.insert(big.end(), rep.begin(), rep.end());
    const Bytes archive = make_archive({{"big.dat", big}}, GetParam().method, GetParam().level);
    const auto got = extract_all(archive);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].entry.original_size, big.size());
    EXPECT_TRUE(got[0].data == big);
}

INSTANTIATE_TEST_SUITE_P(Methods, RoundTrip,
                         ::testing::Values(Case{lha::Method::Lh0, 2}, Case{lha::Method::Lh5, 0},
                                           Case{lha::Method::Lh5, 1}, Case{lha::Method::Lh5, 2},
                                           Case{lha::Method::Lh6, 2}, Case{lha::Method::Lh7, 1},
                                           Case{lha::Method::Lh7, 2}),
                         case_name);

TEST(RoundTripNames, ShiftJisNamesKeepTheirBytesAndTrailByte5CIsNoSeparator) {
    // "ソ" is 83 5C and "表" is 95 5C in Shift-JIS: their second byte is a backslash.
    const std::string dir = "\x83\x5C";
    const std::string file = dir + "\\\x95\x5C.txt";
    for (int level : {0, 1, 2}) {
        SCOPED_TRACE(level);
        const Bytes archive =
            make_archive({{dir, {}, true}, {file, text_like(5000, 3)}}, lha::Method::Lh6, level);
        const auto got = extract_all(archive);
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].entry.name, dir);
        EXPECT_TRUE(got[0].entry.is_directory);
        EXPECT_EQ(got[1].entry.name, file);
        EXPECT_EQ(lha::safe_relative_path(file), file);
        if (level == 2) {
            // Level 2 keeps the folder in its own field with 0xFF separators.
            const std::string raw(archive.begin(), archive.end());
            EXPECT_NE(raw.find("\x83\x5C\xFF"), std::string::npos);
            EXPECT_EQ(raw.find("\x83\x5C\\"), std::string::npos);
        }
    }
}

TEST(RoundTripNames, HeaderFieldsSurvive) {
    lha::MemorySink sink;
    lha::Writer w(sink);
    lha::NewEntry ne;
    ne.name = "a\\b.txt";
    ne.unix_time = 1234567890;
    ne.attributes = lha::kAttrReadOnly | lha::kAttrHidden | lha::kAttrArchive;
    ne.has_file_times = true;
    ne.creation_time = 0x01D0000000000001ull;
    ne.write_time = 0x01D0000000000002ull;
    ne.access_time = 0x01D0000000000003ull;
    Bytes data = text_like(1000, 4);
    lha::MemorySource src(data.data(), data.size());
    w.add_file(ne, src, lha::Method::Lh5);
    w.finish();
    const auto got = extract_all(sink.data());
    ASSERT_EQ(got.size(), 1u);
    const auto& e = got[0].entry;
    EXPECT_TRUE(e.has_unix_time);
    EXPECT_EQ(e.unix_time, 1234567890);
    EXPECT_EQ(e.attributes, ne.attributes);
    EXPECT_TRUE(e.has_file_times);
    EXPECT_EQ(e.creation_time, ne.creation_time);
    EXPECT_EQ(e.write_time, ne.write_time);
    EXPECT_EQ(e.access_time, ne.access_time);
    EXPECT_EQ(e.os_id, 'M');
    EXPECT_EQ(e.crc, lha::crc16(data.data(), data.size()));
}

TEST(DosTime, ConvertsBothWaysAndClamps) {
    // 2024-01-01 00:00:00 is date (44 << 9 | 1 << 5 | 1), time 0 in the DOS layout.
    EXPECT_EQ(lha::seconds_to_dos_time(1704067200), 0x58210000u);
    EXPECT_EQ(lha::dos_time_to_seconds(0x58210000u), 1704067200);
    // 2005-03-02 09:05:58: date (25 << 9 | 3 << 5 | 2), time (9 << 11 | 5 << 5 | 29).
    const std::uint32_t t = (((25u << 9) | (3u << 5) | 2u) << 16) | ((9u << 11) | (5u << 5) | 29u);
    EXPECT_EQ(lha::seconds_to_dos_time(lha::dos_time_to_seconds(t)), t);
    EXPECT_EQ(lha::seconds_to_dos_time(0), 0x00210000u);  // before 1980: 1980-01-01
}

}  // namespace

#include "Header.h"

namespace {

TEST(LargeEntries, SizesOver4GiBUseTheLevel2Extension) {
    lha::detail::HeaderFields f;
    f.name = "dir\\huge.bin";
    f.method = "-lh5-";
    f.original_size = 5ull << 30;
    f.packed_size = (4ull << 30) + 12345;
    f.crc = 0xBEEF;
    const auto h = lha::detail::build_header(f, 2);
    lha::MemorySource src(h.data(), h.size());
    lha::Entry e;
    ASSERT_TRUE(lha::detail::read_header(src, 0, e));
    EXPECT_EQ(e.original_size, f.original_size);
    EXPECT_EQ(e.packed_size, f.packed_size);
    EXPECT_EQ(e.name, f.name);
    EXPECT_EQ(e.data_offset, h.size());
    // Levels 0 and 1 have no room for such sizes.
    EXPECT_THROW(lha::detail::build_header(f, 1), lha::Error);
    EXPECT_THROW(lha::detail::build_header(f, 0), lha::Error);
}

}  // namespace
