#include "SettingsFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "RunOptions.h"
#include "TestSupport.h"

using namespace ostra;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(SettingsFile, KeysMatchWithoutRegardToCase) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "ostra.ini", "[Option]\r\nLha=2\r\n"));
    TSettingsFile ini(dir / "ostra.ini");
    EXPECT_EQ(ini.ReadInteger("Option", "lha", 0), 2);
    EXPECT_EQ(ini.ReadInteger("OPTION", "LHA", 0), 2);
}

TEST(SettingsFile, MissingFileSectionOrKeyGivesDefaultAndCreatesNothing) {
    TempDir dir;
    TSettingsFile missing(dir / "none.ini");
    EXPECT_EQ(missing.ReadString("Option", "BaseDir", "def"), "def");
    EXPECT_EQ(missing.ReadInteger("Option", "Width", 300), 300);
    EXPECT_TRUE(missing.ReadBool("Option", "DelConfirm", true));
    EXPECT_FALSE(testing_support::Exists(dir / "none.ini"));

    ASSERT_TRUE(WriteFileBytes(dir / "a.ini", "[Other]\r\nx=1\r\n"));
    TSettingsFile ini(dir / "a.ini");
    EXPECT_EQ(ini.ReadString("Option", "x", "d"), "d");
    EXPECT_EQ(ini.ReadString("Other", "y", "d"), "d");
    EXPECT_EQ(ReadFileBytes(dir / "a.ini"), "[Other]\r\nx=1\r\n");
}

TEST(SettingsFile, IntegersAndBooleansParseAsStored) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(
        dir / "o.ini",
        "[Option]\r\nT1=0x1\r\nT2=2\r\nT3=yes\r\nH=0X1f\r\nN=-5\r\nZ=0\r\nX=0x\r\nB=12ab\r\nD=$10\r\n"));
    TSettingsFile ini(dir / "o.ini");
    EXPECT_TRUE(ini.ReadBool("Option", "T1", false));
    EXPECT_TRUE(ini.ReadBool("Option", "T2", false));
    EXPECT_FALSE(ini.ReadBool("Option", "T3", false));  // does not parse: the default
    EXPECT_TRUE(ini.ReadBool("Option", "T3", true));
    EXPECT_FALSE(ini.ReadBool("Option", "Z", true));
    EXPECT_EQ(ini.ReadInteger("Option", "H", 0), 31);
    EXPECT_EQ(ini.ReadInteger("Option", "N", 0), -5);
    EXPECT_EQ(ini.ReadInteger("Option", "X", 7), 7);  // "0x" alone is no hexadecimal number
    EXPECT_EQ(ini.ReadInteger("Option", "B", 7), 7);
    EXPECT_EQ(ini.ReadInteger("Option", "D", 7), 7);  // only "0x" marks hexadecimal
}

TEST(SettingsFile, AtMost1023BytesOfAValueAreSeen) {
    TempDir dir;
    std::string value(1500, 'v');
    ASSERT_TRUE(WriteFileBytes(dir / "l.ini", "[Option]\r\nBaseDir=" + value + "\r\n"));
    TSettingsFile ini(dir / "l.ini");
    EXPECT_EQ(ini.ReadString("Option", "BaseDir", ""), std::string(1023, 'v'));
}

TEST(SettingsFile, WritesCreateFileSectionAndKeysInOrder) {
    TempDir dir;
    TSettingsFile ini(dir / "new.ini");
    ini.WriteString("Option", "BaseDir", "C:\\表\\");
    ini.WriteInteger("Option", "Width", 300);
    ini.WriteBool("Option", "Archive", true);
    ini.WriteBool("Key", "Visible", false);
    EXPECT_EQ(ini.ReadString("Option", "BaseDir", ""), "C:\\表\\");
    EXPECT_EQ(ini.ReadInteger("Option", "Width", 0), 300);
    std::string text = ReadFileBytes(dir / "new.ini");
    size_t b = text.find("BaseDir="), w = text.find("Width=300"), a = text.find("Archive=1"),
           v = text.find("Visible=0");
    ASSERT_NE(b, std::string::npos);
    ASSERT_NE(w, std::string::npos);
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(v, std::string::npos);
    EXPECT_LT(b, w);
    EXPECT_LT(w, a);
    EXPECT_LT(text.find("[Key]"), v);
}

TEST(SettingsFile, FailedWriteRaisesTheMessageWithThePath) {
    TempDir dir;
    // A folder stands where the file should be: the write cannot succeed.
    const std::string path = dir / "blocked.ini";
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    TSettingsFile ini(path);
    try {
        ini.WriteString("Option", "BaseDir", "x");
        FAIL() << "no error raised";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), path + " に書き込めません");
    }
    // The message holds a long path whole.
    const std::string longPath = std::string(900, 'x') + "\\" + std::string(900, 'y') + ".ini";
    EXPECT_EQ(std::string(ostra::WriteFailedError(longPath).what()), longPath + " に書き込めません");
}

TEST(RunOptions, DefaultsAndProjectSettingsText) {
    TempDir dir;
    TRunOptions d = ReadRunOptions(TSettingsFile(dir / "missing.ini"));
    EXPECT_EQ(d.BaseDir, "");
    EXPECT_FALSE(d.Timestamp);
    EXPECT_EQ(d.Lha, 0);
    EXPECT_TRUE(d.DelConfirm);
    EXPECT_TRUE(d.DelShowDialog);
    EXPECT_TRUE(d.DelUseRecycleBin);

    TRunOptions o;
    o.BaseDir = "C:\\ソフト\\";
    o.ArcDir = "D:\\Arc";
    o.Timestamp = true;
    o.Lha = 2;
    o.ArcName = 1;
    o.DelConfirm = false;
    o.KeepArchives = 4;  // ostra.ini's alone: the project file keeps its twelve lines
    const std::string expected =
        "[Option]\r\nBaseDir=C:\\ソフト\\\r\nArcDir=D:\\Arc\r\nTimestamp=1\r\nArchive=0\r\nLha=2\r\nArcName="
        "1\r\n"
        "ArcProgress=0\r\nDeleteFiles=0\r\nDelConfirm=0\r\nDelShowDialog=1\r\nDelUseRecycleBin=1\r\n";
    EXPECT_EQ(ProjectSettingsText(o), expected);

    // Written and read back through the profile functions, the same eleven values come out.
    WriteProjectSettings(dir / "project.ini", o);
    EXPECT_EQ(ReadFileBytes(dir / "project.ini"), expected);
    TRunOptions r = ReadRunOptions(TSettingsFile(dir / "project.ini"));
    EXPECT_EQ(r.BaseDir, o.BaseDir);
    EXPECT_EQ(r.ArcDir, o.ArcDir);
    EXPECT_TRUE(r.Timestamp);
    EXPECT_EQ(r.Lha, 2);
    EXPECT_EQ(r.ArcName, 1);
    EXPECT_FALSE(r.DelConfirm);
    EXPECT_EQ(r.KeepArchives, 0);
}

TEST(RunOptions, KeepArchivesReadsAsANumberOfArchivesOrZero) {
    TempDir dir;
    EXPECT_EQ(ReadRunOptions(TSettingsFile(dir / "missing.ini")).KeepArchives, 0);
    for (const auto& [text, value] : std::vector<std::pair<std::string, int>>{
             {"5", 5}, {"-3", 0}, {"abc", 0}, {"", 0}, {"123456", kMaxKeepArchives}}) {
        ASSERT_TRUE(WriteFileBytes(dir / "ostra.ini", "[Option]\r\nKeepArchives=" + text + "\r\n"));
        EXPECT_EQ(ReadRunOptions(TSettingsFile(dir / "ostra.ini")).KeepArchives, value) << text;
    }
}
