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

TEST_F(UpdateTest, NamesBeginningWithADashOrAnAtSignArePackedListedAndFound) {
    // What a backed-up tree may hold: a folder "-x-", a file that reads like the work-folder
    // switch, a file whose name begins with '@'.
    WriteBytes(base + "-x-\\a.txt", "dash folder a");
    WriteBytes(base + "-x-\\b.txt", "dash folder b");
    WriteBytes(base + "-wC.txt", "not a work folder");
    WriteBytes(base + "@a.txt", "at sign");
    WriteBytes(base + "plain.txt", "plain");
    WriteBytes(base + "not named.txt", "left out");
    ASSERT_EQ("", Pack({"-x-\\a.txt", "-x-\\b.txt", "-wC.txt", "@a.txt", "plain.txt"}));
    EXPECT_EQ((std::vector<std::string>{"-x-\\a.txt", "-x-\\b.txt", "-wC.txt", "@a.txt", "plain.txt"}),
              Names(arc));
    EXPECT_EQ("at sign", Extracted("@a.txt"));
    EXPECT_EQ("dash folder b", Extracted("-x-\\b.txt"));

    std::string out = dir / "out\\";
    ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {"-x-\\a.txt", "@a.txt"})));
    EXPECT_EQ((std::vector<std::string>{"-x-\\a.txt", "@a.txt"}), FilesBelow(out));
    EXPECT_EQ("at sign", ReadBytes(out + "@a.txt"));
    ASSERT_EQ(0, lib.Run(BackendLine("d", {"-n1", "-jso1"}, arc, "", {"-wC.txt", "@a.txt"})));
    EXPECT_EQ((std::vector<std::string>{"-x-\\a.txt", "-x-\\b.txt", "plain.txt"}), Names(arc));

    // Only such names: exactly they are packed, not the whole folder.
    std::string only = dir / "only.lzh";
    ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, only, base, {"-x-\\b.txt"})));
    ASSERT_EQ(1u, ListArchive(only).size());
    EXPECT_EQ("-x-\\b.txt", ListArchive(only)[0].name);
}

// The current folder of the test process, put back when the test ends.
class CurrentFolder {
  public:
    explicit CurrentFolder(const std::string& path) {
        char buf[MAX_PATH];
        DWORD n = ::GetCurrentDirectoryA(sizeof buf, buf);
        saved_.assign(buf, n < sizeof buf ? n : 0);
        ::SetCurrentDirectoryA(path.c_str());
    }
    ~CurrentFolder() { ::SetCurrentDirectoryA(saved_.c_str()); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    std::string saved_;
};

TEST_F(UpdateTest, AnAtSignNameInTheBaseFolderWinsOverAResponseFileOfTheSameName) {
    CurrentFolder here(dir.path());
    WriteBytes(dir / "names.txt", "plain.txt\r\n");  // a response file, relative to the current folder
    WriteBytes(base + "@names.txt", "a file with an at sign");
    WriteBytes(base + "plain.txt", "plain");
    std::string other = dir / "other\\";
    WriteBytes(other + "plain.txt", "plain elsewhere");
    ASSERT_EQ("", Pack({"@names.txt"}));
    EXPECT_EQ((std::vector<std::string>{"@names.txt"}), Names(arc));
    // Where no such file is, it is the response file.
    std::string second = dir / "second.lzh";
    ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, second, other, {"@names.txt"})));
    EXPECT_EQ((std::vector<std::string>{"plain.txt"}), Names(second));
    // In a line that names entries, an existing response file is read.
    std::string out = dir / "out\\";
    ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, second, out, {"@names.txt"})));
    EXPECT_EQ("plain elsewhere", ReadBytes(out + "plain.txt"));
}

// A second folder on another volume, when this machine has one: Wine maps Z: to the Unix root,
// and /dev/shm is usually a file system of its own there.
class OtherVolumeFolder {
  public:
    explicit OtherVolumeFolder(const std::string& sameVolumeFolder) {
        std::string candidate = "Z:\\dev\\shm\\unlha32-w-" + std::to_string(::GetCurrentProcessId()) + "\\";
        if (!::CreateDirectoryA(candidate.c_str(), nullptr)) return;
        path_ = candidate;
        // Whether a rename from there to here fails for that very reason.
        std::string probe = path_ + "probe", there = sameVolumeFolder + "probe";
        WriteBytes(probe, "p");
        if (::MoveFileExA(probe.c_str(), there.c_str(), 0))
            ::DeleteFileA(there.c_str());
        else
            otherVolume_ = ::GetLastError() == ERROR_NOT_SAME_DEVICE;
        ::DeleteFileA(probe.c_str());
    }
    ~OtherVolumeFolder() { RemoveTree(path_); }
    OtherVolumeFolder(const OtherVolumeFolder&) = delete;
    OtherVolumeFolder& operator=(const OtherVolumeFolder&) = delete;
    bool usable() const { return otherVolume_; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    bool otherVolume_ = false;
};

class WorkFolderTest : public UpdateTest {
  protected:
    void SetUp() override {
        UpdateTest::SetUp();
        WriteBytes(base + "a.txt", "first a");
        ASSERT_EQ("", Pack({"a.txt"}));
        oldBytes = ReadBytes(arc);
        // A second name of the old archive: a copy over the archive would change it as well.
        ASSERT_TRUE(::CreateHardLinkA(oldLink.c_str(), arc.c_str(), nullptr));
        WriteBytes(base + "b.txt", "second b");
    }
    // Updates through work and checks that the archive was replaced, not overwritten.
    void UpdateThrough(const std::string& work, std::string* report) {
        ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "\"-w" + work + "\"", "-jso1"}, arc, base, {"b.txt"}),
                             report))
            << *report;
        EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), Names(arc));
        EXPECT_EQ("second b", Extracted("b.txt"));
        EXPECT_TRUE(ReadBytes(oldLink) == oldBytes);
        EXPECT_EQ((std::vector<std::string>{}), FilesBelow(work));
        EXPECT_EQ((std::vector<std::string>{"base\\a.txt", "base\\b.txt", "old.lzh", "u.lzh"}),
                  FilesBelow(dir.path()));
    }
    std::string oldLink = dir / "old.lzh";
    std::string oldBytes;
};

TEST_F(WorkFolderTest, WorkFolderOnTheSameVolume) {
    std::string work = dir / "work\\";
    ::CreateDirectoryA(work.c_str(), nullptr);
    std::string report;
    UpdateThrough(work, &report);
    ::RemoveDirectoryA(work.c_str());
    // A work folder that is not there: an error, and the archive stays as it was.
    EXPECT_EQ(UNLHA_ERR_WRITE, lib.Run(BackendLine("u", {"-n1", "\"-w" + dir / "nowhere\\" + "\"", "-jso1"},
                                                   arc, base, {"a.txt"})));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), Names(arc));
}

TEST_F(WorkFolderTest, WorkFolderOnAnotherVolumeIsCopiedBesideTheArchiveFirst) {
    OtherVolumeFolder work(dir.path());
    if (!work.usable()) GTEST_SKIP() << "no folder on another volume (Z:\\dev\\shm)";
    std::string report;
    UpdateThrough(work.path(), &report);
    EXPECT_NE(std::string::npos, report.find("複写して置き換えました")) << report;
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
