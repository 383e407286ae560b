// Packing many files at once: the archive, the report and the result must be those of a run on
// one thread, for new archives, updates and freshening, with a large file and an unreadable one
// in the middle of the order.
#include <gtest/gtest.h>
#include <windows.h>

#include <lha/lha.h>

#include "ArchiveUpdater.h"
#include "CommandLineParser.h"
#include "OutputReport.h"
#include "TestFiles.h"

namespace {

// "d<i % 7>\\f<i>.txt", built by appending (GCC 12 warns wrongly about literal + std::string).
std::string SmallName(int i) {
    std::string name = "d";
    name += std::to_string(i % 7);
    name += "\\f";
    name += std::to_string(i);
    name += ".txt";
    return name;
}

std::size_t FirstDifference(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return i;
}

struct Outcome {
    int result = -1;
    std::string report;
    std::string archive;
    unsigned ahead = 0;  // files packed by the workers
};

class PackAheadTest : public ::testing::Test {
  protected:
    // Runs the command line on `threads` threads into a fresh copy of `start` (empty: no archive).
    Outcome Run(const std::string& word, const std::vector<std::string>& names, int threads,
                const std::string& start = "", std::vector<std::string> switches = {"-jm2"}) {
        const std::string arc = dir / ("t" + std::to_string(threads) + ".lzh");
        ::DeleteFileA(arc.c_str());
        if (!start.empty()) WriteBytes(arc, start);
        switches.insert(switches.begin(), {"-a1", "-n1", "-x1", "-r2"});
        switches.push_back("-jso1");
        unlha::Command cmd = unlha::CommandLineParser::Parse(BackendLine(word, switches, arc, base, names));
        static char buffer[1 << 20];
        unlha::OutputReport report(buffer, sizeof buffer);
        Outcome o;
        unlha::ArchiveUpdater updater(nullptr, cmd, report, threads);
        o.result = updater.Run();
        o.ahead = updater.PackedAhead();
        o.report = buffer;
        o.archive = FileExists(arc) ? ReadBytes(arc) : "";
        // The report names the archive file; the rest must match between runs.
        for (std::size_t at; (at = o.report.find(arc)) != std::string::npos;)
            o.report.replace(at, arc.size(), "ARC");
        return o;
    }
    void ExpectSame(const Outcome& one, const Outcome& many) {
        EXPECT_EQ(one.result, many.result);
        EXPECT_EQ(one.report, many.report);
        ASSERT_FALSE(one.archive.empty());
        EXPECT_TRUE(one.archive == many.archive)
            << "archives differ from byte " << FirstDifference(one.archive, many.archive);
    }
    // Every entry of the archive against the file it came from.
    void ExpectFilesInside(const std::string& archive, std::size_t count) {
        lha::MemorySource src(archive.data(), archive.size());
        lha::Reader reader(src);
        std::size_t files = 0;
        for (const lha::Entry& e : reader.list()) {
            if (e.is_directory) continue;
            lha::MemorySink sink;
            reader.extract(e, sink);
            EXPECT_EQ(std::string(sink.data().begin(), sink.data().end()), ReadBytes(base + e.name))
                << e.name;
            ++files;
        }
        EXPECT_EQ(files, count);
    }
    // A tree of many small files of several kinds, an empty one, a folder and one large file.
    std::size_t MakeTree() {
        std::size_t n = 0;
        for (int i = 0; i < 120; ++i, ++n) {
            WriteBytes(base + SmallName(i),
                       i % 5 == 0    ? RandomBytes(300 + i * 37, i)
                       : i % 11 == 0 ? std::string()
                                     : RepetitiveText(200 + (i * 7919) % 40000) + std::to_string(i));
        }
        WriteBytes(base + "d3\\large.bin", RepetitiveText(1500000) + RandomBytes(100000, 9));
        ::CreateDirectoryA((base + "empty").c_str(), nullptr);
        Settle();
        return n + 1;
    }
    // The first reading of a new file or folder may set its access time, which the archive
    // holds: once read, the runs compared see the same times.
    void Settle() { Run("u", {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "empty"}, 1); }
    TestFolder dir;
    std::string base = dir / "base\\";
};

TEST_F(PackAheadTest, ManyThreadsMakeTheArchiveOfOneThread) {
    const std::size_t files = MakeTree();
    for (const char* method : {"-jm2", "-jm4"}) {
        const Outcome one = Run("u", {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "empty"}, 1, "", {method});
        const Outcome many = Run("u", {"d0", "d1", "d2", "d3", "d4", "d5", "d6", "empty"}, 4, "", {method});
        EXPECT_EQ(one.result, 0) << one.report;
        ExpectSame(one, many);
        ExpectFilesInside(many.archive, files);
        EXPECT_EQ(one.ahead, 0u);
        EXPECT_EQ(many.ahead, files - 1) << "all but the large file come from the workers";
    }
}

TEST_F(PackAheadTest, UpdatesAndFreshensInTheOrderOfOneThread) {
    MakeTree();
    const std::vector<std::string> all = {"d0", "d1", "d2", "d3", "d4", "d5", "d6"};
    const Outcome first = Run("u", all, 1);
    ASSERT_EQ(first.result, 0) << first.report;
    // Some files change and are newer, new ones come: u replaces entries where they stand and
    // appends the new ones; f replaces only the newer ones.
    for (int i = 3; i < 120; i += 9) {
        WriteBytes(base + SmallName(i), RepetitiveText(5000 + i) + "changed");
        // Read after written, or every reading sets the access time anew.
        const FILETIME written = LocalTime(2030, 1, 1, 0, 0, 0), read = LocalTime(2030, 1, 2, 0, 0, 0);
        HANDLE h = ::CreateFileA((base + SmallName(i)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ::SetFileTime(h, nullptr, &read, &written);
        ::CloseHandle(h);
    }
    for (int i = 0; i < 30; ++i) WriteBytes(base + SmallName(i * 7 + 2) + ".new", RepetitiveText(900 + i));
    Settle();
    for (const char* word : {"u", "f"}) {
        const Outcome one = Run(word, all, 1, first.archive);
        const Outcome many = Run(word, all, 3, first.archive);
        EXPECT_EQ(one.result, 0) << word << ": " << one.report;
        ExpectSame(one, many);
        EXPECT_GT(many.ahead, 10u) << word;
    }
}

TEST_F(PackAheadTest, AnUnreadableFileIsReportedAtItsPlace) {
    const std::size_t files = MakeTree();
    // Held open without sharing: neither a worker nor the writer can read it.
    const std::string locked = base + "d4\\f4.txt";
    HANDLE h =
        ::CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const Outcome one = Run("u", {"d0", "d1", "d2", "d3", "d4", "d5", "d6"}, 1);
    const Outcome many = Run("u", {"d0", "d1", "d2", "d3", "d4", "d5", "d6"}, 4);
    ::CloseHandle(h);
    EXPECT_NE(one.result, 0);
    EXPECT_NE(one.report.find("f4.txt"), std::string::npos) << one.report;
    ExpectSame(one, many);
    ExpectFilesInside(many.archive, files - 1);
}

}  // namespace
