// Cross-checks against the reference tools, run as black boxes: lhasa and jlha-utils (`jlha`)
// must list, test and extract our archives byte-exact, and we must read theirs.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace lhatest;
namespace fs = std::filesystem;

namespace {

std::vector<File> sample() {
    return {{"empty.txt", {}},
            {"one.bin", {'Q'}},
            {"repeat.txt", repetitive(100000)},
            {"random.bin", random_bytes(50000, 41)},
            {"src", {}, true},
            {"src\\code.cpp", text_like(400000, 42)},
            {"src\\deep", {}, true},
            {"src\\deep\\mixed.dat", [] {
                 Bytes b = text_like(150000, 43);
                 Bytes r = random_bytes(20000, 44);
                 b.insert(b.begin() + 70000, r.begin(), r.end());
                 return b;
             }()}};
}

fs::path unix_path(const fs::path& root, const std::string& name) {
    std::string p = name;
    for (auto& c : p)
        if (c == '\\') c = '/';
    return root / p;
}

void expect_tree(const fs::path& root, const std::vector<File>& files) {
    for (const auto& f : files) {
        fs::path p = unix_path(root, f.name);
        if (f.directory) {
            EXPECT_TRUE(fs::is_directory(p)) << p;
        } else {
            ASSERT_TRUE(fs::is_regular_file(p)) << p;
            EXPECT_TRUE(read_file(p) == f.data) << p;
        }
    }
}

class OursReadByReference : public ::testing::TestWithParam<std::tuple<lha::Method, int>> {};

TEST_P(OursReadByReference, ListedTestedAndExtractedExactly) {
    const auto [method, level] = GetParam();
    TempDir dir;
    const auto files = sample();
    const fs::path arc = dir.path() / "ours.lzh";
    write_file(arc, make_archive(files, method, level));
    const std::string qa = sh_quote(arc.string());
    const std::string meth = std::string(lha::method_name(method)).substr(1, 3);

    std::string out;
    ASSERT_EQ(run("lhasa l " + qa, &out), 0) << out;
    for (const auto& f : files) {
        if (!f.directory) {
            EXPECT_NE(out.find(f.name.substr(f.name.rfind('\\') + 1)), std::string::npos) << out;
        }
    }
    ASSERT_EQ(run("lhasa v " + qa, &out), 0) << out;
    EXPECT_NE(out.find("-" + meth + "-"), std::string::npos) << out;
    ASSERT_EQ(run("lhasa t " + qa, &out), 0) << out;
    EXPECT_EQ(out.find("CRC"), std::string::npos) << out;
    fs::create_directories(dir.path() / "lhasa");
    ASSERT_EQ(run("cd " + sh_quote((dir.path() / "lhasa").string()) + " && lhasa xq " + qa, &out), 0) << out;
    expect_tree(dir.path() / "lhasa", files);

    ASSERT_EQ(run("jlha l " + qa, &out), 0) << out;
    EXPECT_NE(out.find("code.cpp"), std::string::npos) << out;
    ASSERT_EQ(run("jlha t " + qa, &out), 0) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    fs::create_directories(dir.path() / "jlha");
    ASSERT_EQ(run("cd " + sh_quote((dir.path() / "jlha").string()) + " && jlha xq " + qa, &out), 0) << out;
    expect_tree(dir.path() / "jlha", files);
}

INSTANTIATE_TEST_SUITE_P(Methods, OursReadByReference,
                         ::testing::Combine(::testing::Values(lha::Method::Lh5, lha::Method::Lh6,
                                                              lha::Method::Lh7),
                                            ::testing::Values(2, 1)),
                         [](const auto& info) {
                             return std::string(lha::method_name(std::get<0>(info.param))).substr(1, 3) +
                                    "_level" + std::to_string(std::get<1>(info.param));
                         });

TEST(OursReadByReferenceExtra, LevelZeroAndShiftJisNamesAndTimes) {
    TempDir dir;
    // Level 0 with lh5 (jlha's option letters: level digit first, "q" last, or it eats the digit).
    const std::vector<File> files = {{"a.txt", text_like(50000, 51)}, {"sub\\b.txt", repetitive(3000)}};
    write_file(dir.path() / "l0.lzh", make_archive(files, lha::Method::Lh5, 0));
    std::string out;
    fs::create_directories(dir.path() / "l0");
    ASSERT_EQ(run("cd " + sh_quote((dir.path() / "l0").string()) + " && lhasa xq ../l0.lzh", &out), 0) << out;
    expect_tree(dir.path() / "l0", files);

    // Shift-JIS names: lhasa writes the bytes as they are.
    const std::string dirname = "\x83\x5C";                // "ソ"
    const std::string fname = dirname + "\\\x95\x5C.txt";  // "ソ\表.txt"
    const std::vector<File> sj = {{dirname, {}, true}, {fname, text_like(9000, 52)}};
    write_file(dir.path() / "sj.lzh", make_archive(sj, lha::Method::Lh7, 2));
    fs::create_directories(dir.path() / "sj");
    ASSERT_EQ(run("cd " + sh_quote((dir.path() / "sj").string()) + " && lhasa xq ../sj.lzh", &out), 0) << out;
    EXPECT_EQ(read_file(dir.path() / "sj" / "\x83\x5C" / "\x95\x5C.txt"), sj[1].data);

    // The Unix time of a level-2 header becomes the file's modification time.
    struct stat st;
    ASSERT_EQ(::stat((dir.path() / "sj" / "\x83\x5C" / "\x95\x5C.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1704067200);
}

// Archives made by jlha, each method and header level: fixtures named after the tool.
class ReferenceReadByOurs : public ::testing::TestWithParam<std::tuple<std::string, int>> {};

TEST_P(ReferenceReadByOurs, ListedAndExtractedExactly) {
    const auto [method, level] = GetParam();
    TempDir dir;
    const std::vector<File> files = {{"empty.txt", {}},
                                     {"one.bin", {'Q'}},
                                     {"code.cpp", text_like(300000, 61)},
                                     {"random.bin", random_bytes(40000, 62)},
                                     {"sub\\repeat.txt", repetitive(120000)}};
    const fs::path in = dir.path() / "in";
    for (const auto& f : files) write_file(unix_path(in, f.name), f.data);
    const std::string fixture = "jlha-" + method + "-level" + std::to_string(level) + ".lzh";
    const fs::path arc = dir.path() / fixture;
    const std::string opt = method == "lh0" ? "z" : "o" + method.substr(2);
    std::string out;
    ASSERT_EQ(run("cd " + sh_quote(in.string()) + " && jlha a" + std::to_string(level) + opt + "q " +
                      sh_quote(arc.string()) + " empty.txt one.bin code.cpp random.bin sub/repeat.txt",
                  &out),
              0)
        << out;
    const Bytes archive = read_file(arc);
    std::vector<Extracted> got;
    ASSERT_NO_THROW(got = extract_all(archive)) << fixture;
    ASSERT_EQ(got.size(), files.size()) << fixture;
    bool saw_method = false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        EXPECT_EQ(got[i].entry.name, files[i].name);
        EXPECT_EQ(got[i].entry.header_level, level);
        EXPECT_TRUE(got[i].data == files[i].data);
        saw_method |= got[i].entry.method == "-" + method + "-";
    }
    EXPECT_TRUE(saw_method) << fixture;
}

INSTANTIATE_TEST_SUITE_P(Methods, ReferenceReadByOurs,
                         ::testing::Combine(::testing::Values("lh0", "lh5", "lh6", "lh7"),
                                            ::testing::Values(0, 1, 2)),
                         [](const auto& info) {
                             return std::get<0>(info.param) + "_level" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
