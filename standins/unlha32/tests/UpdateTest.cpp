// Updating, deleting, response files and exclusions.
#include <gtest/gtest.h>

#include "TestFiles.h"

namespace {

class UpdateTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(lib.loaded()); }
    std::vector<std::string> Names(const std::string& archive) {
        std::vector<std::string> r;
        for (const Listed& l : ListArchive(archive)) r.push_back(l.name);
        return r;
    }
    std::string Extracted(const std::string& name) {
        std::string buf(1 << 20, '\0');
        DWORD written = 0;
        int r = lib.ExtractMem(nullptr, BackendLine("", {"-jso1"}, arc, "", {name}).c_str(),
                               reinterpret_cast<LPBYTE>(buf.data()), static_cast<DWORD>(buf.size()), nullptr,
                               nullptr, &written);
        return r == 0 ? buf.substr(0, written) : "<error " + std::to_string(r) + ">";
    }
    std::string Pack(const std::vector<std::string>& names, std::vector<std::string> switches = {}) {
        switches.insert(switches.begin(), {"-a1", "-n1", "-x1", "-jm2"});
        switches.push_back("-jso1");
        std::string report;
        int r = lib.Run(BackendLine("u", switches, arc, base, names), &report);
        return r == 0 ? "" : std::to_string(r) + ": " + report;
    }
    UnlhaLibrary& lib = UnlhaLibrary::Get();
    TestFolder dir;
    std::string base = dir / "base\\";
    std::string arc = dir / "u.lzh";
};

TEST_F(UpdateTest, UpdateReplacesSameNamesAddsNewOnesAndKeepsTheRest) {
    WriteBytes(base + "a.txt", "first a");
    WriteBytes(base + "b.txt", "first b");
    WriteBytes(base + "sub\\c.txt", "first c");
    ASSERT_EQ("", Pack({"a.txt", "b.txt", "sub\\c.txt"}));
    // The same names again, older on disk than in the archive: u still takes the files.
    WriteBytes(base + "a.txt", "second a, longer than the first");
    SetWriteTime(base + "a.txt", LocalTime(1990, 1, 1, 0, 0, 0));
    WriteBytes(base + "SUB\\C.TXT", "second c");
    WriteBytes(base + "d.txt", "new d");
    ASSERT_EQ("", Pack({"a.txt", "SUB\\C.TXT", "d.txt"}));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "SUB\\C.TXT", "d.txt"}), Names(arc));
    EXPECT_EQ("second a, longer than the first", Extracted("a.txt"));
    EXPECT_EQ("first b", Extracted("b.txt"));
    EXPECT_EQ("second c", Extracted("sub\\c.txt"));
    EXPECT_EQ("new d", Extracted("d.txt"));
}

TEST_F(UpdateTest, FreshenReplacesOnlyNewerFilesAndDeleteRemovesNamedEntries) {
    for (const char* n : {"a.txt", "b.txt", "c.bak", "sub\\d.txt"}) {
        WriteBytes(base + n, std::string("old ") + n);
        SetWriteTime(base + n, LocalTime(2010, 5, 5, 10, 0, 0));
    }
    ASSERT_EQ("", Pack({"a.txt", "b.txt", "c.bak", "sub\\d.txt"}));
    WriteBytes(base + "a.txt", "newer a");
    SetWriteTime(base + "a.txt", LocalTime(2011, 5, 5, 10, 0, 0));
    WriteBytes(base + "b.txt", "same time, not taken");
    SetWriteTime(base + "b.txt", LocalTime(2010, 5, 5, 10, 0, 0));
    WriteBytes(base + "e.txt", "not in the archive, not added");
    ASSERT_EQ(0, lib.Run(BackendLine("f", {"-n1", "-jso1"}, arc, base, {"a.txt", "b.txt", "e.txt"})));
    EXPECT_EQ("newer a", Extracted("a.txt"));
    EXPECT_EQ("old b.txt", Extracted("b.txt"));
    EXPECT_EQ(4u, Names(arc).size());

    ASSERT_EQ(0, lib.Run(BackendLine("d", {"-n1", "-jso1"}, arc, "", {"*.bak", "sub\\"})));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), Names(arc));
    EXPECT_EQ(UNLHA_ERR_NO_MATCH, lib.Run(BackendLine("d", {"-jso1"}, arc, "", {"zzz"})));
    EXPECT_EQ(2u, Names(arc).size());
}

TEST_F(UpdateTest, ResponseFileNamesOnePerLine) {
    WriteBytes(base + "with blank.txt", "blank");
    WriteBytes(base + "表\\ソ.txt", "sjis");
    WriteBytes(base + "plain.txt", "plain");
    WriteBytes(base + "not listed.txt", "no");
    std::string resp = dir / "resp.txt";
    WriteBytes(resp, "\"with blank.txt\"\r\n\"表\\ソ.txt\"\r\nplain.txt\r\n\r\n");
    ASSERT_EQ("", Pack({std::string("@").append(resp)}));
    EXPECT_EQ((std::vector<std::string>{"with blank.txt", "表\\ソ.txt", "plain.txt"}), Names(arc));
    std::string report;
    EXPECT_EQ(UNLHA_ERR_RESPONSE_FILE, lib.Run(BackendLine("u", {"-jso1"}, dir / "other.lzh", base,
                                                           {std::string("@").append(dir / "missing.txt")}),
                                               &report));
    EXPECT_FALSE(FileExists(dir / "other.lzh"));
}

TEST_F(UpdateTest, ExclusionsRecursionAndHiddenFiles) {
    for (const char* n : {"a.txt", "a.bak", "sub\\b.txt", "sub\\b.tmp", "sub\\deep\\c.txt", "skip\\x.txt"})
        WriteBytes(base + n, n);
    WriteBytes(base + "hidden.txt", "h");
    ::SetFileAttributesA((base + "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    // Wildcards in the top folder only, hidden files left out without -a1.
    ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, arc, base, {"*.*"})));
    EXPECT_EQ((std::vector<std::string>{"a.bak", "a.txt"}), Names(arc));
    ::DeleteFileA(arc.c_str());
    // -r1 searches the subfolders; -jx takes out by last part or by whole name.
    ASSERT_EQ(0, lib.Run(BackendLine(
                     "u", {"-a1", "-n1", "-r1", "-jso1", "\"-jx*.bak\"", "\"-jx*.tmp\"", "\"-jxskip\\*\""},
                     arc, base, {"*.txt"})));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "hidden.txt", "sub\\b.txt", "sub\\deep\\c.txt"}),
              Names(arc));
}

TEST_F(UpdateTest, MissingFilesAreNotedAndTheRestIsPacked) {
    WriteBytes(base + "here.txt", "here");
    std::string report;
    EXPECT_EQ(UNLHA_ERR_FILE_NOT_FOUND,
              lib.Run(BackendLine("u", {"-n1", "-jso1"}, arc, base, {"here.txt", "gone.txt"}), &report));
    EXPECT_NE(std::string::npos, report.find("gone.txt")) << report;
    EXPECT_EQ((std::vector<std::string>{"here.txt"}), Names(arc));
    // Nothing at all to pack: no archive appears.
    std::string other = dir / "none.lzh";
    EXPECT_NE(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, other, base, {"gone.txt"})));
    EXPECT_FALSE(FileExists(other));
}

}  // namespace
