// Hostile and broken input: names that try to leave the destination, corrupt and truncated
// archives, bad command lines, small output buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "TestFiles.h"

namespace {

// The fixtures folder as Wine sees it (Z: is the Unix root).
std::string Fixture(const std::string& name) {
    std::string p = std::string("Z:") + UNLHA32_FIXTURES "/" + name;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

class SafetyTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(lib.loaded()); }
    std::string Extract(const std::string& archive, const std::string& out, int* result) {
        std::string report;
        *result = lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, archive, out, {}), &report);
        return report;
    }
    UnlhaLibrary& lib = UnlhaLibrary::Get();
    TestFolder dir;
};

TEST_F(SafetyTest, DotDotNamesAreRefusedAndTheRestExtracted) {
    std::string out = dir / "deep\\inner\\";
    ::CreateDirectoryA((dir / "deep").c_str(), nullptr);
    int r = 0;
    std::string report = Extract(Fixture("handmade-dotdot.lzh"), out, &r);
    EXPECT_EQ(UNLHA_ERR_UNSAFE_NAME, r) << report;
    EXPECT_EQ((std::vector<std::string>{"inner\\ok.txt"}), FilesBelow(dir / "deep"));
    EXPECT_EQ((std::vector<std::string>{"deep\\inner\\ok.txt"}), FilesBelow(dir.path()));
}

TEST_F(SafetyTest, AbsoluteNamesDriveLettersDevicesAndStreamsStayInside) {
    std::string out = dir / "out\\";
    int r = 0;
    std::string report = Extract(Fixture("handmade-absolute.lzh"), out, &r);
    EXPECT_EQ(0, r) << report;
    EXPECT_EQ((std::vector<std::string>{"_CON", "ads.txt_hidden", "b.txt", "evil.txt", "rooted.txt",
                                        "server\\share\\unc.txt"}),
              FilesBelow(out));
    EXPECT_EQ("drive letter", ReadBytes(out + "evil.txt"));
    EXPECT_FALSE(FileExists("C:\\evil.txt"));

    std::string out2 = dir / "jlha\\";
    report = Extract(Fixture("jlha-absolute-level2.lzh"), out2, &r);
    EXPECT_EQ(0, r) << report;
    EXPECT_EQ((std::vector<std::string>{"tmp\\unlha32-fixture\\abs.txt"}), FilesBelow(out2));
    EXPECT_EQ("absolute path from jlha\n", ReadBytes(out2 + "tmp\\unlha32-fixture\\abs.txt"));
}

TEST_F(SafetyTest, AFileAndAFolderOfTheSameNameAreRefusedBeforeAnythingIsReplaced) {
    std::string out = dir / "out\\";
    WriteBytes(out + "x.txt", "was here before");
    int r = 0;
    std::string report = Extract(Fixture("handmade-file-and-folder.lzh"), out, &r);
    EXPECT_EQ(UNLHA_ERR_WRITE, r) << report;
    EXPECT_EQ((std::vector<std::string>{"x.txt"}), FilesBelow(out));
    EXPECT_EQ("was here before", ReadBytes(out + "x.txt"));
    EXPECT_FALSE(FileExists(out + "a"));
}

// A file held open by another program, which does not let it be deleted or renamed meanwhile.
class FileInUse {
  public:
    explicit FileInUse(const std::string& path)
        : h_(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {
    }
    ~FileInUse() { Close(); }
    FileInUse(const FileInUse&) = delete;
    FileInUse& operator=(const FileInUse&) = delete;
    bool open() const { return h_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (open()) ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE h_;
};

class BrokenArchiveTest : public SafetyTest {
  protected:
    void SetUp() override {
        SafetyTest::SetUp();
        WriteBytes(dir / "in\\first.txt", RepetitiveText(40000));
        WriteBytes(dir / "in\\second.bin", RepetitiveText(90000) + RandomBytes(30000, 11));
        ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jm2", "-jso1"}, good, dir / "in",
                                         {"first.txt", "second.bin"})));
        bytes = ReadBytes(good);
        WriteBytes(out + "first.txt", "was here before");
    }
    // The destination holds exactly what it held before.
    void ExpectDestinationUntouched() {
        EXPECT_EQ((std::vector<std::string>{"first.txt"}), FilesBelow(out));
        EXPECT_EQ("was here before", ReadBytes(out + "first.txt"));
    }
    std::string good = dir / "good.lzh";
    std::string out = dir / "out\\";
    std::string bytes;
};

TEST_F(BrokenArchiveTest, DataErrorInTheLastEntryUndoesTheWholeExtraction) {
    std::string bad = bytes;
    bad[bad.size() - 40] ^= 0x55;  // inside the packed data of the second entry
    WriteBytes(dir / "bad.lzh", bad);
    int r = 0;
    std::string report = Extract(dir / "bad.lzh", out, &r);
    EXPECT_TRUE(r == UNLHA_ERR_CRC || r == UNLHA_ERR_BROKEN) << r << " " << report;
    ExpectDestinationUntouched();
    EXPECT_EQ(0, lib.CheckArchive((dir / "bad.lzh").c_str(), 24));
    EXPECT_NE(0, lib.CheckArchive((dir / "bad.lzh").c_str(), 16));  // its headers are sound
}

TEST_F(BrokenArchiveTest, AFileInUseStopsTheExtractionAndPutsBackWhatWasReplaced) {
    // first.txt comes first in the archive and is replaced before second.bin is reached.
    ::SetFileAttributesA((out + "first.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(out + "second.bin", "in use");
    FileInUse inUse(out + "second.bin");
    ASSERT_TRUE(inUse.open());
    int r = 0;
    std::string report = Extract(good, out, &r);
    EXPECT_EQ(UNLHA_ERR_WRITE, r) << report;
    inUse.Close();
    EXPECT_EQ((std::vector<std::string>{"first.txt", "second.bin"}), FilesBelow(out));
    EXPECT_TRUE(ReadBytes(out + "first.txt") == "was here before");
    EXPECT_TRUE(::GetFileAttributesA((out + "first.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ("in use", ReadBytes(out + "second.bin"));
    // Once the file is free, the same command goes through.
    report = Extract(good, out, &r);
    EXPECT_EQ(0, r) << report;
    EXPECT_TRUE(ReadBytes(out + "first.txt") == ReadBytes(dir / "in\\first.txt"));
    EXPECT_TRUE(ReadBytes(out + "second.bin") == ReadBytes(dir / "in\\second.bin"));
    EXPECT_EQ((std::vector<std::string>{"first.txt", "second.bin"}), FilesBelow(out));
}

TEST_F(BrokenArchiveTest, TruncatedArchivesAndBrokenHeadersGiveErrorsNotFiles) {
    // (An archive that lacks only its end mark is complete: readers stop at the end of the file.)
    for (std::size_t keep : {bytes.size() - 100, std::size_t{30}, std::size_t{3}}) {
        SCOPED_TRACE(keep);
        WriteBytes(dir / "cut.lzh", bytes.substr(0, keep));
        int r = 0;
        std::string report = Extract(dir / "cut.lzh", out, &r);
        EXPECT_NE(0, r) << report;
        ExpectDestinationUntouched();
    }
    std::string header = bytes;
    header[1] ^= 0x01;  // header checksum of the first entry
    WriteBytes(dir / "hdr.lzh", header);
    int r = 0;
    Extract(dir / "hdr.lzh", out, &r);
    EXPECT_NE(0, r);
    ExpectDestinationUntouched();
    WriteBytes(dir / "text.lzh", RepetitiveText(3000));
    Extract(dir / "text.lzh", out, &r);
    EXPECT_EQ(UNLHA_ERR_NOT_ARCHIVE, r);
    Extract(dir / "missing.lzh", out, &r);
    EXPECT_EQ(UNLHA_ERR_FILE_NOT_FOUND, r);
    ExpectDestinationUntouched();
}

TEST_F(BrokenArchiveTest, UpdatingABrokenArchiveFailsAndKeepsIt) {
    std::string bad = bytes.substr(0, bytes.size() - 100);
    WriteBytes(dir / "bad.lzh", bad);
    WriteBytes(dir / "in\\third.txt", "third");
    EXPECT_NE(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, dir / "bad.lzh", dir / "in", {"third.txt"})));
    EXPECT_TRUE(ReadBytes(dir / "bad.lzh") == bad);
    WriteBytes(dir / "text.lzh", "no archive");
    EXPECT_EQ(UNLHA_ERR_NOT_ARCHIVE,
              lib.Run(BackendLine("u", {"-n1", "-jso1"}, dir / "text.lzh", dir / "in", {"third.txt"})));
    EXPECT_EQ("no archive", ReadBytes(dir / "text.lzh"));
    EXPECT_EQ((std::vector<std::string>{"bad.lzh", "good.lzh", "in\\first.txt", "in\\second.bin",
                                        "in\\third.txt", "out\\first.txt", "text.lzh"}),
              FilesBelow(dir.path()));
}

TEST_F(SafetyTest, BadCommandLinesAndSmallBuffers) {
    WriteBytes(dir / "in\\a.txt", "a");
    std::string arc = dir / "a.lzh";
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Run("q -+ \"" + arc + "\""));
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Run("u -+ -jso1  "));
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Run(BackendLine("", {"-jso1"}, arc, "", {"a.txt"})));
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Unlha(nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(UNLHA_ERR_NOT_SUPPORTED, lib.Run(BackendLine("s", {"-jso1"}, arc, dir / "sfx", {})));
    // Unknown switches are taken without effect.
    EXPECT_EQ(0, lib.Run(BackendLine("u", {"-jso1", "-gw9", "-k", "-jyz", "\"-jpStuff\""}, arc, dir / "in",
                                     {"a.txt"})));

    std::string full;
    ASSERT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Run("q", &full));
    ASSERT_GT(full.size(), 8u);
    char buf[24];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Unlha(nullptr, "q", buf, 8));
    std::size_t len = std::strlen(buf);  // ended within the size, nothing written past it
    EXPECT_TRUE(len > 0 && len <= 7) << len;
    EXPECT_EQ(full.substr(0, len), std::string(buf, len));
    std::size_t i = 0;  // cut between characters, not inside a double-byte one
    while (i < len) i += ::IsDBCSLeadByte(static_cast<BYTE>(buf[i])) ? 2 : 1;
    EXPECT_EQ(len, i);
    for (std::size_t k = 8; k < sizeof buf; ++k) EXPECT_EQ('#', buf[k]) << k;
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(UNLHA_ERR_BAD_COMMAND, lib.Unlha(nullptr, "q", buf, 0));
    EXPECT_EQ('#', buf[0]);
}

}  // namespace
