// Extraction to folders and into memory.
#include <gtest/gtest.h>

#include <map>

#include "TestFiles.h"

namespace {

class ExtractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(lib.loaded());
        for (const auto& [name, bytes] : files) WriteBytes(dir / ("in\\" + name), bytes);
        SetWriteTime(dir / "in\\a.txt", LocalTime(1999, 12, 31, 23, 59, 58));
        SetWriteTime(dir / "in\\sub\\b.bin", LocalTime(2024, 2, 29, 6, 0, 0));
        ::SetFileAttributesA((dir / "in\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        std::vector<std::string> names;
        for (const auto& f : files) names.push_back(f.first);
        ASSERT_EQ(0,
                  lib.Run(BackendLine("u", {"-a1", "-n1", "-x1", "-jm2", "-jso1"}, arc, dir / "in", names)));
    }
    const std::string xSwitches = "-n1";
    UnlhaLibrary& lib = UnlhaLibrary::Get();
    TestFolder dir;
    std::string arc = dir / "t.lzh";
    std::map<std::string, std::string> files = {
        {"a.txt", RepetitiveText(70000)},
        {"sub\\b.bin", RandomBytes(5000, 3)},
        {"sub\\deep\\c.txt", "c"},
        {"ro.txt", "read only"},
        {"empty", ""},
        {"表\\ソ.txt", "0x5C trail bytes"},
    };
};

TEST_F(ExtractTest, RestoresTreeBytesTimesAndAttributes) {
    std::string out = dir / "out\\";
    std::string report;
    ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {}), &report)) << report;
    std::vector<std::string> expected;
    for (const auto& f : files) expected.push_back(f.first);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, FilesBelow(out));
    for (const auto& [name, bytes] : files) EXPECT_TRUE(ReadBytes(out + name) == bytes) << name;
    EXPECT_EQ(Ticks(LocalTime(1999, 12, 31, 23, 59, 58)), Ticks(WriteTimeOf(out + "a.txt")));
    EXPECT_EQ(Ticks(LocalTime(2024, 2, 29, 6, 0, 0)), Ticks(WriteTimeOf(out + "sub\\b.bin")));
    EXPECT_TRUE(::GetFileAttributesA((out + "ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(::GetFileAttributesA((out + "a.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    // The test command decodes everything and finds it sound.
    EXPECT_EQ(0, lib.Run(BackendLine("t", {"-jso1"}, arc, "", {})));
}

TEST_F(ExtractTest, ReplacesExistingFilesAndTakesOnlyTheNamedOnes) {
    std::string out = dir / "out\\";
    WriteBytes(out + "sub\\b.bin", "old contents");
    ::SetFileAttributesA((out + "sub\\b.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(out + "a.txt", "not in the selection, stays");
    ASSERT_EQ(0, lib.Run(BackendLine("x", {"-n1", "-jse1", "-jso1"}, arc, out, {"sub\\*"})));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "sub\\b.bin", "sub\\deep\\c.txt"}), FilesBelow(out));
    EXPECT_TRUE(ReadBytes(out + "sub\\b.bin") == files["sub\\b.bin"]);
    EXPECT_EQ("not in the selection, stays", ReadBytes(out + "a.txt"));
    // A name that matches nothing is an error and writes nothing.
    std::string none = dir / "none\\";
    EXPECT_EQ(UNLHA_ERR_NO_MATCH, lib.Run(BackendLine("x", {"-jse1", "-jso1"}, arc, none, {"nothing.txt"})));
    EXPECT_FALSE(FileExists(none));
}

TEST_F(ExtractTest, CommandEDropsFolders) {
    std::string out = dir / "flat\\";
    ASSERT_EQ(0, lib.Run(BackendLine("e", {"-jse1", "-jso1"}, arc, out, {"sub\\*", "表\\ソ.txt"})));
    EXPECT_EQ((std::vector<std::string>{"b.bin", "c.txt", "ソ.txt"}), FilesBelow(out));
}

TEST_F(ExtractTest, ExtractMemFillsTheBufferAndReportsWhatDoesNotFit) {
    std::string line = BackendLine("", {"-jso1"}, arc, "", {"sub\\b.bin"});
    ASSERT_EQ(' ', line[0]);  // the back-end's memory line has no command word
    std::string buf(10000, '\xEE');
    DWORD written = 0, time = 0;
    WORD attr = 0;
    ASSERT_EQ(0, lib.ExtractMem(nullptr, line.c_str(), reinterpret_cast<LPBYTE>(buf.data()), 10000, &time,
                                &attr, &written));
    ASSERT_EQ(5000u, written);
    EXPECT_TRUE(buf.substr(0, 5000) == files["sub\\b.bin"]);
    EXPECT_EQ(std::string(5000, '\xEE'), buf.substr(5000));
    // 2024-02-29 06:00:00 local, as Unix seconds.
    EXPECT_EQ((Ticks(LocalTime(2024, 2, 29, 6, 0, 0)) / 10000000ull) - 11644473600ull, time);

    std::string small(100, '\0');
    EXPECT_EQ(UNLHA_ERR_BUFFER_TOO_SMALL,
              lib.ExtractMem(nullptr, line.c_str(), reinterpret_cast<LPBYTE>(small.data()), 100, nullptr,
                             nullptr, &written));
    EXPECT_EQ(100u, written);
    EXPECT_TRUE(small == files["sub\\b.bin"].substr(0, 100));
    EXPECT_EQ(UNLHA_ERR_NO_MATCH,
              lib.ExtractMem(nullptr, BackendLine("", {"-jso1"}, arc, "", {"nope"}).c_str(),
                             reinterpret_cast<LPBYTE>(buf.data()), 10000, nullptr, nullptr, &written));
    EXPECT_EQ(0u, written);
}

}  // namespace
