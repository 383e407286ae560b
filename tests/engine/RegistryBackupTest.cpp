#include "RegistryBackup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "TestSupport.h"
#include "ostra_consts.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::TempDir;

TEST(RegistryExportNames, RootSuffixComparesCharacters6To7Then6To14WithCase) {
    EXPECT_EQ(RegistryRootSuffix("HKEY_CLASSES_ROOT\\*"), "_classes");
    EXPECT_EQ(RegistryRootSuffix("HKEY_LOCAL_MACHINE\\System"), "_local");
    EXPECT_EQ(RegistryRootSuffix("HKEY_USERS"), "_useres");
    EXPECT_EQ(RegistryRootSuffix("HKEY_DYN_DATA\\PerfStats"), "_dyn_data");
    EXPECT_EQ(RegistryRootSuffix("HKEY_CURRENT_USER\\Software"), "_current");
    EXPECT_EQ(RegistryRootSuffix("HKEY_CURRENT_CONFIG\\System"), "_config");
    EXPECT_EQ(RegistryRootSuffix("HKEY_CURRENT_C"), "_config");  // exactly 14 characters suffice
    // Only the positions count, not the rest of the root's name.
    EXPECT_EQ(RegistryRootSuffix("XXXX_LO"), "_local");
    for (const char* none : {"hkey_current_user\\Software", "HKEY_Current_User", "HKEY_CURRENT_", "HKEY_C",
                             "HKCU\\x", "", "HKEY_CURRENT_X"})
        EXPECT_EQ(RegistryRootSuffix(none), "") << none;
}

TEST(RegistryExportNames, FileNameIsTheLastComponentMadeSafePlusTheSuffix) {
    EXPECT_EQ(RegistryExportName("HKEY_CURRENT_USER\\Software\\Example"), "Example_current.reg");
    EXPECT_EQ(RegistryExportName("HKEY_CURRENT_CONFIG\\System"), "System_config.reg");
    EXPECT_EQ(RegistryExportName("HKEY_LOCAL_MACHINE\\System"), "System_local.reg");
    EXPECT_EQ(RegistryExportName("HKEY_USERS"), "HKEY_USERS_useres.reg");
    EXPECT_EQ(RegistryExportName("hkey_current_user\\Software"), "Software.reg");
    EXPECT_EQ(RegistryExportName("HKEY_CLASSES_ROOT\\*"), "__classes.reg");
    EXPECT_EQ(RegistryExportName("HKEY_CURRENT_USER\\a?b<c>d|e/f*g\"h\x01i\x1f"),
              "a_b_c_d_e_f_g_h_i__current.reg");
    // A colon ends the path like a backslash.
    EXPECT_EQ(RegistryExportName("HKEY_CURRENT_USER\\x:y"), "y_current.reg");
    // ポ ends in byte 0x7C and ソ in 0x5C: neither is a bar or a backslash.
    const std::string po = "ポ", so = "ソ";
    ASSERT_EQ(static_cast<unsigned char>(po[1]), 0x7C);
    EXPECT_EQ(RegistryExportName("HKEY_CURRENT_USER\\表" + po + so), "表" + po + so + "_current.reg");
}

TEST(RegistryExportNames, ParametersQuoteFileAndKey) {
    EXPECT_EQ(RegistryExportParameters("C:\\Base\\backreg\\Example_current.reg",
                                       "HKEY_CURRENT_USER\\Software\\Example"),
              "/E \"C:\\Base\\backreg\\Example_current.reg\" \"HKEY_CURRENT_USER\\Software\\Example\"");
}

// Started by RunHiddenAndWaitEndsAHungProgram as a program that does not end by itself.
TEST(RegistryEditorRun, DISABLED_SleepsForAMinute) {
    ::Sleep(60000);
}

TEST(RegistryEditorRun, RunHiddenAndWaitEndsAHungProgram) {
    char self[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(RunHiddenAndWait(self, "--gtest_filter=NoSuchTest.None", 60000), TRunWait::rwFinished);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(RunHiddenAndWait(
                  self, "--gtest_also_run_disabled_tests --gtest_filter=RegistryEditorRun.DISABLED_*", 1000),
              TRunWait::rwTimedOut);
    EXPECT_LT(::GetTickCount() - start, 15000u);
    EXPECT_EQ(RunHiddenAndWait("pelmira-no-such-program.exe", "", 1000), TRunWait::rwNotStarted);
}

namespace {

// The export file as ANSI text; it must be UTF-16LE with its byte-order mark.
std::string ReadExport(const std::string& path) {
    const std::string bytes = testing_support::ReadFileBytes(path);
    if (bytes.size() < 2 || bytes.size() % 2 || bytes.compare(0, 2, "\xFF\xFE") != 0) return "<not UTF-16LE>";
    const int n = static_cast<int>((bytes.size() - 2) / 2);
    std::wstring w(n, L'\0');
    memcpy(w.data(), bytes.data() + 2, n * 2);
    int len = ::WideCharToMultiByte(CP_ACP, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
    std::string text(len, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.data(), n, text.data(), len, nullptr, nullptr);
    return text;
}

bool KeyExists(HKEY root, const std::string& path) {
    HKEY k;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    ::RegCloseKey(k);
    return true;
}

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";

// Keys of this test's own below Software\PelmiraTest_<process>_<n> of HKCU, HKLM and HKCC, all
// removed again after each test.
class RegistryBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int counter = 0;
        sub = "Software\\PelmiraTest_" + std::to_string(::GetCurrentProcessId()) + "_" +
              std::to_string(++counter);
        dest = work / "backreg";
    }
    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CURRENT_CONFIG}) {
            ::RegDeleteTreeA(root, sub.c_str());
            EXPECT_FALSE(KeyExists(root, sub)) << "left behind: " << sub;
        }
    }
    // Creates root\sub\path with the value v = data; returns the key's full name under rootName.
    std::string MakeKey(HKEY root, const std::string& rootName, const std::string& path,
                        const std::string& data) {
        const std::string full = sub + "\\" + path;
        HKEY k;
        EXPECT_EQ(::RegCreateKeyExA(root, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS)
            << full;
        ::RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>(data.size() + 1));
        ::RegCloseKey(k);
        return rootName + "\\" + full;
    }
    std::string UserKey(const std::string& path, const std::string& data = "pelmira") {
        return MakeKey(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", path, data);
    }
    // Expects file to be an export that holds key with its value.
    void ExpectExportOf(const std::string& file, const std::string& key,
                        const std::string& data = "pelmira") {
        const std::string text = ReadExport(file);
        EXPECT_EQ(text.compare(0, strlen(kHeader), kHeader), 0) << file << ": " << text.substr(0, 60);
        EXPECT_NE(text.find("[" + key + "]"), std::string::npos) << file << ": " << text;
        EXPECT_NE(text.find("\"v\"=\"" + data + "\""), std::string::npos) << file << ": " << text;
    }
    TempDir work{"regbak"};
    std::string sub, dest;
    TStrings log;
};

}  // namespace

TEST_F(RegistryBackupTest, EachRootGetsItsSuffixAndTheFileHoldsTheKey) {
    const std::string user = UserKey("Example");
    const std::string config = MakeKey(HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "System", "config");
    const std::string local = MakeKey(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "System", "local");
    BackupRegistry(dest, {user, config, local}, &log, nullptr);
    const std::string d = dest + "\\";
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + d + "Example_current.reg",
                             "  " + d + "System_config.reg", "  " + d + "System_local.reg", ""}));
    ExpectExportOf(d + "Example_current.reg", user);
    ExpectExportOf(d + "System_config.reg", config, "config");
    ExpectExportOf(d + "System_local.reg", local, "local");
}

TEST_F(RegistryBackupTest, ALowerCaseRootGetsNoSuffix) {
    const std::string user = UserKey("Example");
    const std::string lower = "hkey_current_user" + user.substr(strlen("HKEY_CURRENT_USER"));
    BackupRegistry(dest, {lower}, &log, nullptr);
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + dest + "\\Example.reg", ""}));
    EXPECT_NE(ReadExport(dest + "\\Example.reg").find("\"v\"=\"pelmira\""), std::string::npos);
    EXPECT_FALSE(Exists(dest + "\\Example_current.reg"));
}

TEST_F(RegistryBackupTest, EmptyEntriesAreSkippedAndExportNothing) {
    const std::string user = UserKey("Example");
    BackupRegistry(dest, {"", user, "  "}, &log, nullptr);
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + dest + "\\Example_current.reg", ""}));
    EXPECT_FALSE(Exists(dest + "\\.reg"));
    EXPECT_FALSE(Exists(dest + "\\  .reg"));
}

TEST_F(RegistryBackupTest, NamesAFileCannotHoldAreMadeSafe) {
    const std::string star = UserKey("St*r?<x>|");
    const std::string japanese = UserKey("表ポ");
    BackupRegistry(dest, {star, japanese}, &log, nullptr);
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + dest + "\\St_r__x___current.reg",
                             "  " + dest + "\\表ポ_current.reg", ""}));
    ExpectExportOf(dest + "\\St_r__x___current.reg", star);
    ExpectExportOf(dest + "\\表ポ_current.reg", japanese);
}

TEST_F(RegistryBackupTest, AMissingKeyIsReportedAndKeepsTheEarlierExport) {
    const std::string user = UserKey("Example");
    const std::string missing = "HKEY_CURRENT_USER\\" + sub + "\\Nope";
    ASSERT_TRUE(::CreateDirectoryA(dest.c_str(), nullptr));
    // Exports left by an earlier run, read-only at that.
    const std::string old = dest + "\\Nope_current.reg", renewed = dest + "\\Example_current.reg";
    for (const std::string& f : {old, renewed}) {
        ASSERT_TRUE(testing_support::WriteFileBytes(f, "earlier run"));
        ::SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    BackupRegistry(dest, {missing, user}, &log, nullptr);
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + old, kLogRegNotExported, "  " + renewed, ""}));
    EXPECT_EQ(testing_support::ReadFileBytes(old), "earlier run");
    ExpectExportOf(renewed, user);
    EXPECT_FALSE(Exists(old + ".old"));
    EXPECT_FALSE(Exists(renewed + ".old"));
}

TEST_F(RegistryBackupTest, AnEarlierExportLeftAsideByAnInterruptedRunComesBack) {
    const std::string missing = "HKEY_CURRENT_USER\\" + sub + "\\Nope";
    ASSERT_TRUE(::CreateDirectoryA(dest.c_str(), nullptr));
    const std::string file = dest + "\\Nope_current.reg";
    ASSERT_TRUE(testing_support::WriteFileBytes(file + ".old", "earlier run"));
    BackupRegistry(dest, {missing}, &log, nullptr);
    EXPECT_EQ(testing_support::ReadFileBytes(file), "earlier run");
    EXPECT_FALSE(Exists(file + ".old"));
}

TEST_F(RegistryBackupTest, KeysWithOneNameShareAFileAndTheLaterWins) {
    const std::string a = UserKey("A\\Settings", "first");
    const std::string b = UserKey("B\\Settings", "second");
    BackupRegistry(dest, {a, b}, &log, nullptr);
    const std::string file = dest + "\\Settings_current.reg";
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + file, "  " + file, ""}));
    ExpectExportOf(file, b, "second");
    EXPECT_EQ(ReadExport(file).find("first"), std::string::npos);
}

TEST_F(RegistryBackupTest, TrailingBackslashesNameTheKeyItself) {
    const std::string user = UserKey("Example");
    BackupRegistry(dest, {user + "\\\\"}, &log, nullptr);
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + dest + "\\Example_current.reg", ""}));
    ExpectExportOf(dest + "\\Example_current.reg", user);
}

TEST_F(RegistryBackupTest, AKeyWithAQuoteIsSkipped) {
    const std::string quoted = UserKey("a\"b");
    BackupRegistry(dest, {quoted}, &log, nullptr);
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + dest + "\\a_b_current.reg", kLogRegQuote, ""}));
    EXPECT_FALSE(Exists(dest + "\\a_b_current.reg"));
}

TEST_F(RegistryBackupTest, AStopEndsTheStepBeforeTheNextEntry) {
    const std::string one = UserKey("One");
    const std::string two = UserKey("Two");
    BackupRegistry(dest, {one, two}, &log, [](bool& stop) { stop = true; });
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader}));
    EXPECT_TRUE(testing_support::Exists(dest));  // made before the first entry

    log.clear();
    int calls = 0;
    BackupRegistry(dest, {one, two}, &log, [&](bool& stop) { stop = ++calls == 2; });
    EXPECT_EQ(log, (TStrings{kLogRegistryHeader, "  " + dest + "\\One_current.reg"}));
    ExpectExportOf(dest + "\\One_current.reg", one);
    EXPECT_FALSE(Exists(dest + "\\Two_current.reg"));
}

TEST_F(RegistryBackupTest, AnExportInterruptedHalfWayNeverCostsTheEarlierOne) {
    const std::string missing = "HKEY_CURRENT_USER\\" + sub + "\\Nope";
    ASSERT_TRUE(::CreateDirectoryA(dest.c_str(), nullptr));
    const std::string file = dest + "\\Nope_current.reg";
    // A run died while the editor wrote: a part of the new export beside the earlier one.
    ASSERT_TRUE(testing_support::WriteFileBytes(file, "partial"));
    ASSERT_TRUE(testing_support::WriteFileBytes(file + ".old", "earlier run"));
    BackupRegistry(dest, {missing}, &log, nullptr);
    EXPECT_EQ(testing_support::ReadFileBytes(file), "earlier run");
    EXPECT_FALSE(Exists(file + ".old"));

    // Once a whole new export exists, the earlier one goes.
    const std::string user = UserKey("Example");
    const std::string renewed = dest + "\\Example_current.reg";
    ASSERT_TRUE(testing_support::WriteFileBytes(renewed, "partial"));
    ASSERT_TRUE(testing_support::WriteFileBytes(renewed + ".old", "earlier run"));
    BackupRegistry(dest, {user}, &log, nullptr);
    ExpectExportOf(renewed, user);
    EXPECT_FALSE(Exists(renewed + ".old"));
}

TEST_F(RegistryBackupTest, AnEarlierExportThatCannotComeBackStaysAside) {
    const std::string missing = "HKEY_CURRENT_USER\\" + sub + "\\Nope";
    const std::string file = dest + "\\Nope_current.reg";
    ASSERT_TRUE(::CreateDirectoryA(dest.c_str(), nullptr));
    // Something else holds the export's name: the earlier export cannot be moved back.
    ASSERT_TRUE(::CreateDirectoryA(file.c_str(), nullptr));
    ASSERT_TRUE(testing_support::WriteFileBytes(file + ".old", "earlier run"));
    BackupRegistry(dest, {missing}, &log, nullptr);
    EXPECT_EQ(testing_support::ReadFileBytes(file + ".old"), "earlier run");
}
