// Packing with the back-end's command lines, then listing through the handle entries.
#include <gtest/gtest.h>

#include <map>

#include "TestFiles.h"

namespace {

class PackListTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(lib.loaded()) << "UNLHA32.DLL not found beside the test"; }
    UnlhaLibrary& lib = UnlhaLibrary::Get();
    TestFolder dir;
};

TEST_F(PackListTest, BackendPackLineStoresRelativeNamesSizesAndTimes) {
    std::string base = dir / "base\\";
    const std::map<std::string, std::string> files = {
        {"a.txt", RepetitiveText(5000)},
        {"sub\\b.txt", "bee\r\n"},
        {"empty.bin", ""},
        {"one.bin", "x"},
        {"ソ表能\\予定表.txt", "Shift-JIS folder whose characters end in 0x5C"},
    };
    FILETIME stamp = LocalTime(2001, 1, 1, 12, 34, 56);
    for (const auto& [name, bytes] : files) {
        WriteBytes(base + name, bytes);
        SetWriteTime(base + name, stamp);
    }
    std::string arc = dir / "arc\\2001_0101_1200.lzh";
    ::CreateDirectoryA((dir / "arc").c_str(), nullptr);
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(f.first);
    std::string line = BackendLine("u", {"-a1", "-n1", "-x1", "-jm2", "-jso1"}, arc, base, names);
    std::string report;
    ASSERT_EQ(0, lib.Run(line, &report)) << report;

    std::vector<Listed> listed = ListArchive(arc);
    ASSERT_EQ(files.size(), listed.size());
    WORD dosDate = 0, dosTime = 0;
    FILETIME local;
    ::FileTimeToLocalFileTime(&stamp, &local);
    ::FileTimeToDosDateTime(&local, &dosDate, &dosTime);
    for (const Listed& l : listed) {
        auto it = files.find(l.name);
        ASSERT_NE(files.end(), it) << "unexpected entry " << l.name;
        EXPECT_EQ(it->second.size(), l.originalSize) << l.name;
        EXPECT_EQ(dosDate, l.dosDate) << l.name;
        EXPECT_EQ(dosTime, l.dosTime) << l.name;
        ASSERT_TRUE(l.haveWriteTime) << l.name;
        EXPECT_EQ(Ticks(stamp), Ticks(l.writeTime)) << l.name;
    }
    // Repetitive text compresses; an empty file is stored.
    for (const Listed& l : listed) {
        if (l.name == "a.txt") {
            EXPECT_EQ("-lh5-", l.method);
            EXPECT_LT(l.compressedSize, 1000u);
        }
    }
}

TEST_F(PackListTest, MethodSwitchesSelectLh5Lh6Lh7AndDataComesBackExact) {
    const std::string text = RepetitiveText(300000), noise = RandomBytes(200000, 7);
    const std::string big = RepetitiveText(3 << 20) + RandomBytes(1 << 20, 9);
    WriteBytes(dir / "in\\text.txt", text);
    WriteBytes(dir / "in\\noise.bin", noise);
    WriteBytes(dir / "in\\big.bin", big);
    for (auto [jm, method] : {std::pair{"-jm2", "-lh5-"}, {"-jm3", "-lh6-"}, {"-jm4", "-lh7-"}}) {
        SCOPED_TRACE(method);
        std::string arc = dir / (std::string("m") + jm + ".lzh");
        ASSERT_EQ(0, lib.Run(BackendLine("u", {"-a1", "-n1", "-x1", jm, "-jso1"}, arc, dir / "in",
                                         {"text.txt", "noise.bin", "big.bin"})));
        std::vector<Listed> listed = ListArchive(arc);
        ASSERT_EQ(3u, listed.size());
        for (const Listed& l : listed) {
            if (l.name == "noise.bin")
                EXPECT_EQ("-lh0-", l.method);  // random data does not shrink
            else
                EXPECT_EQ(method, l.method) << l.name;
        }
        std::string out = dir / (std::string("out") + jm + "\\");
        ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {})));
        EXPECT_TRUE(ReadBytes(out + "text.txt") == text);
        EXPECT_TRUE(ReadBytes(out + "noise.bin") == noise);
        EXPECT_TRUE(ReadBytes(out + "big.bin") == big);
    }
}

TEST_F(PackListTest, FindFirstWildcardsSelectByWholeName) {
    for (const char* n : {"a.txt", "b.doc", "sub\\c.txt", "ソ表\\d.txt"})
        WriteBytes(dir / (std::string("in\\") + n), n);
    std::string arc = dir / "w.lzh";
    ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, arc, dir / "in",
                                     {"a.txt", "b.doc", "sub\\c.txt", "ソ表\\d.txt"})));
    auto names = [](const std::vector<Listed>& v) {
        std::vector<std::string> r;
        for (const Listed& l : v) r.push_back(l.name);
        return r;
    };
    EXPECT_EQ(4u, ListArchive(arc, "*").size());
    EXPECT_EQ(4u, ListArchive(arc, "").size());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "sub\\c.txt", "ソ表\\d.txt"}),
              names(ListArchive(arc, "*.txt")));
    EXPECT_EQ((std::vector<std::string>{"ソ表\\d.txt"}), names(ListArchive(arc, "ソ表\\*")));
    EXPECT_EQ((std::vector<std::string>{"b.doc"}), names(ListArchive(arc, "B.DOC")));
}

TEST_F(PackListTest, SelfExtractorsAreOpenedAndListedWhereTheyAreChecked) {
    WriteBytes(dir / "in\\a.txt", RepetitiveText(20000));
    WriteBytes(dir / "in\\b.txt", "b");
    std::string arc = dir / "plain.lzh";
    ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, arc, dir / "in", {"a.txt", "b.txt"})));
    // A program in front of the archive, as self-extractors have it.
    std::string prefixed = "MZ" + RepetitiveText(30000) + ReadBytes(arc);
    std::string sfx = dir / "setup.exe", data = dir / "prefixed.lzh";
    WriteBytes(sfx, prefixed);
    WriteBytes(data, prefixed);
    EXPECT_NE(0, lib.CheckArchive(sfx.c_str(), 16));
    std::vector<Listed> listed = ListArchive(sfx);
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ("a.txt", listed[0].name);
    EXPECT_EQ(20000u, listed[0].originalSize);
    EXPECT_EQ("b.txt", listed[1].name);
    // Any other file must begin with the archive, for opening as for checking.
    EXPECT_EQ(0, lib.CheckArchive(data.c_str(), 16));
    EXPECT_EQ(nullptr, lib.OpenArchive(nullptr, data.c_str(), 0x800002));
}

TEST_F(PackListTest, ArchiveChecksAndHandlesRefuseWhatIsNoArchive) {
    WriteBytes(dir / "in\\a.txt", RepetitiveText(20000));
    std::string arc = dir / "ok.lzh";
    ASSERT_EQ(0, lib.Run(BackendLine("u", {"-n1", "-jso1"}, arc, dir / "in", {"a.txt"})));
    WriteBytes(dir / "text.lzh", "just some text, long enough to look at: -lh5- and more");
    EXPECT_NE(0, lib.CheckArchive(arc.c_str(), 16));
    EXPECT_NE(0, lib.CheckArchive(arc.c_str(), 24));
    EXPECT_EQ(UNLHA_TYPE_LHA, lib.GetArchiveType(arc.c_str()));
    for (std::string bad : {dir / "text.lzh", dir / "missing.lzh"}) {
        EXPECT_EQ(0, lib.CheckArchive(bad.c_str(), 16)) << bad;
        EXPECT_EQ(0, lib.CheckArchive(bad.c_str(), 24)) << bad;
        EXPECT_EQ(UNLHA_TYPE_UNKNOWN, lib.GetArchiveType(bad.c_str())) << bad;
        EXPECT_EQ(nullptr, lib.OpenArchive(nullptr, bad.c_str(), 0x800002)) << bad;
    }
    // Handles that were never given out, or are closed already.
    UnlhaEntryInfo info;
    HARC h = lib.OpenArchive(nullptr, arc.c_str(), 0);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(0, lib.FindFirst(h, "*.*", &info));
    EXPECT_EQ(UNLHA_FIND_END, lib.FindNext(h, &info));
    EXPECT_EQ(0, lib.CloseArchive(h));
    EXPECT_EQ(UNLHA_ERR_BAD_HANDLE, lib.FindFirst(h, "*.*", &info));
    EXPECT_EQ(UNLHA_ERR_BAD_HANDLE,
              lib.FindNext(reinterpret_cast<HARC>(static_cast<INT_PTR>(0x7777)), &info));
    FILETIME t;
    EXPECT_EQ(0, lib.GetWriteTimeEx(h, &t));
    EXPECT_NE(0, lib.CloseArchive(h));
    EXPECT_NE(0, lib.CloseArchive(nullptr));  // the format probe closes even a failed open
}

}  // namespace
