// Damaged and hostile archives: every failure is an lha::Error, never a crash, a hang or
// silently wrong data; names never lead outside the destination.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace lhatest;

namespace {

const std::vector<File>& sample_files() {
    static const std::vector<File> files = {{"dir", {}, true},
                                            {"dir\\a.txt", text_like(20000, 21)},
                                            {"b.bin", {1, 2, 3, 4}},
                                            {"c.txt", repetitive(5000)}};
    return files;
}

// Reads everything; returns the error code, or 0 when all went through.
int read_everything(const Bytes& archive, std::vector<Extracted>* out = nullptr) {
    try {
        auto got = extract_all(archive);
        if (out) *out = std::move(got);
        return 0;
    } catch (const lha::Error& e) {
        return static_cast<int>(e.code());
    }
}

void fix_level01_checksum(Bytes& a, std::size_t at) {
    const std::size_t end = at + a[at] + 2;
    unsigned sum = 0;
    for (std::size_t i = at + 2; i < end; ++i) sum += a[i];
    a[at + 1] = static_cast<unsigned char>(sum);
}

TEST(CorruptArchive, EveryTruncationIsAnErrorOrAnExactPrefix) {
    for (int level : {0, 1, 2}) {
        SCOPED_TRACE(level);
        const Bytes full = make_archive(sample_files(), lha::Method::Lh5, level);
        int errors = 0;
        for (std::size_t cut = 0; cut < full.size(); ++cut) {
            Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
            std::vector<Extracted> got;
            int rc = read_everything(part, &got);
            if (rc != 0) {
                ++errors;
                continue;
            }
            // Cut at an entry boundary: what is there must be exactly right.
            ASSERT_LE(got.size(), sample_files().size()) << cut;
            for (std::size_t i = 0; i < got.size(); ++i)
                ASSERT_EQ(got[i].data, sample_files()[i].data) << "cut " << cut;
        }
        // Only the few cuts at entry boundaries can succeed.
        EXPECT_GE(errors, static_cast<int>(full.size()) - 5);
    }
}

TEST(CorruptArchive, FlippedBitsInPackedDataAreDetected) {
    for (lha::Method m : {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7}) {
        const Bytes original = text_like(30000, 22);
        const Bytes full = make_archive({{"a.txt", original}}, m);
        lha::MemorySource src(full.data(), full.size());
        lha::Reader r(src);
        lha::Entry e;
        ASSERT_TRUE(r.next(e));
        int flips = 0, detected = 0;
        for (std::uint64_t off = e.data_offset; off < e.data_offset + e.packed_size; off += 5) {
            Bytes bad = full;
            bad[static_cast<std::size_t>(off)] ^= static_cast<unsigned char>(1u << (off % 8));
            std::vector<Extracted> got;
            int rc = read_everything(bad, &got);
            ++flips;
            if (rc == 0) {
                // Some bits do not matter (a block count larger than needed, padding): then the data
                // must still be exact. Wrong data never passes.
                ASSERT_EQ(got.size(), 1u);
                ASSERT_TRUE(got[0].data == original) << "offset " << off;
                continue;
            }
            ++detected;
            ASSERT_TRUE(rc == static_cast<int>(lha::ErrorCode::CrcMismatch) ||
                        rc == static_cast<int>(lha::ErrorCode::CorruptData) ||
                        rc == static_cast<int>(lha::ErrorCode::Truncated))
                << "offset " << off << " rc " << rc;
        }
        EXPECT_GE(detected, flips * 9 / 10);
    }
}

TEST(CorruptArchive, HeaderDamageIsReported) {
    // Level 0/1: the header checksum byte.
    Bytes l1 = make_archive(sample_files(), lha::Method::Lh5, 1);
    l1[10] ^= 0x40;
    EXPECT_EQ(read_everything(l1), static_cast<int>(lha::ErrorCode::BadArchive));
    // Level 2: the header CRC.
    Bytes l2 = make_archive(sample_files(), lha::Method::Lh5, 2);
    l2[16] ^= 0x01;  // inside the time stamp
    EXPECT_EQ(read_everything(l2), static_cast<int>(lha::ErrorCode::CrcMismatch));
    // Level 2: an extension size of 1 and one pointing past the header.
    for (unsigned v : {1u, 0x7FFFu}) {
        Bytes x = make_archive(sample_files(), lha::Method::Lh5, 2);
        x[24] = static_cast<unsigned char>(v);
        x[25] = static_cast<unsigned char>(v >> 8);
        EXPECT_EQ(read_everything(x), static_cast<int>(lha::ErrorCode::BadArchive)) << v;
    }
    // Level 1: the extension chain claims more than the entry holds.
    Bytes y = make_archive({{"d\\a.txt", text_like(100, 1)}}, lha::Method::Lh0, 1);
    const std::size_t base = y[0] + 2;
    y[base - 2] = 0xFF;
    y[base - 1] = 0x7F;
    fix_level01_checksum(y, 0);
    EXPECT_NE(read_everything(y), 0);
    // Not an archive at all.
    Bytes junk = random_bytes(4000, 5);
    junk[0] = 0x20;
    EXPECT_EQ(read_everything(junk), static_cast<int>(lha::ErrorCode::BadArchive));
    lha::MemorySource js(junk.data(), junk.size());
    EXPECT_FALSE(lha::looks_like_archive(js));
}

TEST(CorruptArchive, UnknownMethodIsListedButNotExtracted) {
    Bytes a = make_archive(sample_files(), lha::Method::Lh5, 0);
    // The second entry (dir\a.txt) becomes -lh1- (dynamic Huffman, not supported here).
    lha::MemorySource src(a.data(), a.size());
    lha::Reader r(src);
    auto entries = r.list();
    ASSERT_EQ(entries.size(), 4u);
    const std::size_t at = static_cast<std::size_t>(entries[1].header_offset);
    a[at + 5] = '1';
    fix_level01_checksum(a, at);

    lha::MemorySource src2(a.data(), a.size());
    lha::Reader r2(src2);
    entries = r2.list();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[1].method, "-lh1-");
    EXPECT_FALSE(entries[1].method_supported());
    lha::NullSink sink;
    try {
        r2.extract(entries[1], sink);
        FAIL() << "extracted an unknown method";
    } catch (const lha::Error& e) {
        EXPECT_EQ(e.code(), lha::ErrorCode::UnknownMethod);
        EXPECT_NE(std::string(e.what()).find("-lh1-"), std::string::npos);
    }
    // The others still come out.
    lha::MemorySink ok;
    r2.extract(entries[3], ok);
    EXPECT_EQ(ok.data(), sample_files()[3].data);
}

TEST(CorruptArchive, HugeClaimedSizeWithLittleDataEndsQuickly) {
    Bytes a = make_archive({{"a.txt", text_like(3000, 9)}}, lha::Method::Lh7, 0);
    // Claim 4 GiB of original data for the same few packed bytes.
    a[11] = a[12] = a[13] = a[14] = 0xFF;
    fix_level01_checksum(a, 0);
    EXPECT_EQ(read_everything(a), static_cast<int>(lha::ErrorCode::Truncated));
}

TEST(CorruptArchive, SelfExtractorStubIsSkippedOnlyWhenAsked) {
    Bytes a = random_bytes(3000, 31);
    const Bytes arc = make_archive(sample_files(), lha::Method::Lh6);
    a.insert(a.end(), arc.begin(), arc.end());
    lha::MemorySource src(a.data(), a.size());
    EXPECT_FALSE(lha::looks_like_archive(src));
    EXPECT_TRUE(lha::looks_like_archive(src, 64 * 1024));
    lha::ReaderOptions o;
    o.search_limit = 64 * 1024;
    lha::Reader r(src, o);
    auto entries = r.list();
    ASSERT_EQ(entries.size(), sample_files().size());
    lha::MemorySink sink;
    r.extract(entries[1], sink);
    EXPECT_EQ(sink.data(), sample_files()[1].data);
}

TEST(SafePath, AbsoluteDriveAndParentComponentsAreMadeHarmless) {
    EXPECT_EQ(lha::safe_relative_path("..\\..\\windows\\evil.dll"), "windows\\evil.dll");
    EXPECT_EQ(lha::safe_relative_path("C:\\autoexec.bat"), "autoexec.bat");
    EXPECT_EQ(lha::safe_relative_path("\\\\server\\share\\x"), "server\\share\\x");
    EXPECT_EQ(lha::safe_relative_path("/etc/passwd"), "etc\\passwd");
    EXPECT_EQ(lha::safe_relative_path("a\\.\\b\\..\\c"), "a\\b\\c");
    EXPECT_EQ(lha::safe_relative_path("a:b\\c"), "a_b\\c");
    EXPECT_EQ(lha::safe_relative_path(".."), "");
    // 0x5C as a trail byte stays part of its character.
    EXPECT_EQ(lha::safe_relative_path("\x83\x5C..\\x"), "\x83\x5C..\\x");
}

TEST(SafePath, ToolExtractsHostileNamesInsideTheDestination) {
    TempDir dir;
    const Bytes arc = make_archive(
        {{"..\\..\\escape.txt", {'x'}}, {"C:\\abs.txt", {'y'}}, {"\\root.txt", {'z'}}}, lha::Method::Lh0, 0);
    write_file(dir.path() / "hostile.lzh", arc);
    std::filesystem::create_directories(dir.path() / "a" / "b" / "dest");
    std::string out;
    run(std::string(LHATOOL_PATH) + " x " + sh_quote((dir.path() / "hostile.lzh").string()) + " " +
            sh_quote((dir.path() / "a" / "b" / "dest").string()),
        &out);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "escape.txt")) << out;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a" / "escape.txt"));
    EXPECT_EQ(read_file(dir.path() / "a" / "b" / "dest" / "escape.txt"), Bytes{'x'});
    EXPECT_EQ(read_file(dir.path() / "a" / "b" / "dest" / "abs.txt"), Bytes{'y'});
    EXPECT_EQ(read_file(dir.path() / "a" / "b" / "dest" / "root.txt"), Bytes{'z'});
}

TEST(CorruptArchive, ToolLeavesNothingBehindForABadEntry) {
    TempDir dir;
    Bytes arc =
        make_archive({{"good.txt", text_like(4000, 1)}, {"bad.txt", text_like(4000, 2)}}, lha::Method::Lh5);
    lha::MemorySource src(arc.data(), arc.size());
    lha::Reader r(src);
    auto entries = r.list();
    arc[static_cast<std::size_t>(entries[1].data_offset + entries[1].packed_size / 2)] ^= 0x10;
    write_file(dir.path() / "bad.lzh", arc);
    std::string out;
    int rc = run(std::string(LHATOOL_PATH) + " x " + sh_quote((dir.path() / "bad.lzh").string()) + " " +
                     sh_quote((dir.path() / "out").string()),
                 &out);
    EXPECT_NE(rc, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out" / "good.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "bad.txt")) << out;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "bad.txt.lhatool-part"));
}

}  // namespace
