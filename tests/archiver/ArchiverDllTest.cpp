// The library binding against real DLLs built for the tests (testdll): loading, entry
// resolution, messages, the null output buffer and the entry times.
#include <gtest/gtest.h>

#include "ArchiverDll.h"
#include "ArchiverErrors.h"
#include "TestDllClient.h"
#include "TestSupport.h"

using namespace arc;
using testing_support::TempDir;

namespace {

const char* const kDescription = "テスト形式書庫";

// Exposes the slots so a test can tell a cached entry from a fresh lookup.
class ProbeDll : public TArchiverDll {
  public:
    using TArchiverDll::TArchiverDll;
    TEntryPoints& Slots() { return Entries; }
};

int g_plantedCalls = 0;
int WINAPI PlantedMain(HWND, LPCSTR, LPSTR, DWORD) {
    ++g_plantedCalls;
    return 77;
}

uint64_t Value(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// 2001-01-01 12:00:00 as a DOS date and time.
const WORD kNoonDate = 10785, kNoonTime = 24576;

// That DOS date and time read as local time and turned into UTC by the system's own conversions.
uint64_t NoonOfFirstJanuary2001AsUtc() {
    FILETIME local, utc;
    if (!::DosDateTimeToFileTime(kNoonDate, kNoonTime, &local) || !::LocalFileTimeToFileTime(&local, &utc))
        return 0;
    return Value(utc);
}

// The zone's bias now (UTC = local + bias), in file-time units.
int64_t CurrentBias() {
    TIME_ZONE_INFORMATION tz;
    DWORD id = ::GetTimeZoneInformation(&tz);
    long bias = tz.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? tz.DaylightBias : tz.StandardBias);
    return static_cast<int64_t>(bias) * 60 * 10000000LL;
}

// DOS date and time of 2001-01-01 12:00:00.
const char* const kDosNoon = "10785|24576";

}  // namespace

TEST(ArchiverDllTest, RequiredEntryMissingNamesTheModulePathAndIsLookedUpAgain) {
    std::string path = testdll::LeanDll();
    TArchiverDll dll(kDescription, path, "Tarc");
    dll.Load();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            DWORD written = 0;
            char buffer[8];
            dll.ExtractMem(nullptr, "x", buffer, sizeof buffer, nullptr, nullptr, &written);
            FAIL() << "no exception";
        } catch (const EEntryNotFound& e) {
            EXPECT_STREQ((path + " に TarcExtractMem のエントリが見つかりません。").c_str(), e.what());
        }
    }
    // The same library under another prefix lacks even its main entry.
    TArchiverDll other(kDescription, testdll::FullDll(), "Unlha");
    char out[4];
    EXPECT_THROW(
        {
            try {
                other.Execute(nullptr, "a.lzh", "l", out, sizeof out);
            } catch (const EArchiver& e) {
                EXPECT_STREQ((testdll::FullDll() + " に Unlha のエントリが見つかりません。").c_str(),
                             e.what());
                throw;
            }
        },
        EEntryNotFound);
}

// GetModuleFileNameA of older systems leaves a name that fills the buffer without its NUL; a
// 257-byte buffer also cut paths of 257 to 259 characters.
TEST(ArchiverDllTest, ModulePathOfNearlyMaximalLengthIsReportedWhole) {
    TempDir temp("arcdll");
    std::string dir = temp.Path();
    while (dir.size() < 230) {
        dir += std::string(std::min<size_t>(60, 230 - dir.size()), 'd') + "\\";
        ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr)) << dir;
    }
    std::string path = dir + std::string(MAX_PATH - 1 - dir.size() - 4, 'L') + ".DLL";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), path.size());
    ASSERT_TRUE(::CopyFileA(testdll::LeanDll().c_str(), path.c_str(), FALSE));
    {
        TArchiverDll dll(kDescription, path, "Tarc");
        try {
            dll.Load();
            dll.ExtractMem(nullptr, "x", nullptr, 0, nullptr, nullptr, nullptr);
            FAIL() << "no exception";
        } catch (const EEntryNotFound& e) {
            EXPECT_STREQ((path + " に TarcExtractMem のエントリが見つかりません。").c_str(), e.what());
        }
        EXPECT_EQ(path, ModuleFileName(dll.Handle()));
    }  // the binding goes before the folder
}

TEST(ArchiverDllTest, OptionalEntriesMissingAnswerZeroWithoutRaising) {
    TArchiverDll lean(kDescription, testdll::LeanDll(), "Tarc");
    lean.Load();
    FILETIME ft{};
    EXPECT_EQ(0, lean.SetOwnerWindowEx(::GetDesktopWindow(), nullptr));
    EXPECT_EQ(0, lean.KillOwnerWindowEx(::GetDesktopWindow()));
    EXPECT_EQ(0, lean.GetCreateTimeEx(nullptr, &ft));
    EXPECT_EQ(0, lean.SetEnumMembersProc64(nullptr, kEnumMemberInfoSize));
    EXPECT_EQ(0, lean.ClearEnumMembersProc64());
    EXPECT_EQ("", testdll::Client(lean.Handle()).Log());

    // The complete library has them and answers.
    TArchiverDll full(kDescription, testdll::FullDll(), "Tarc");
    full.Load();
    testdll::Client client(full.Handle());
    client.Clear();
    EXPECT_NE(0, full.SetOwnerWindowEx(::GetDesktopWindow(), nullptr));
    EXPECT_NE(0, full.KillOwnerWindowEx(::GetDesktopWindow()));
    EXPECT_NE(0, full.SetEnumMembersProc64(nullptr, kEnumMemberInfoSize));
    EXPECT_NE(0, full.ClearEnumMembersProc64());
    EXPECT_EQ(
        "SetOwnerWindowEx|window=set|callback=null\nKillOwnerWindowEx|window=set\n"
        "SetEnumMembersProc64|callback=null|size=1094\nClearEnumMembersProc64\n",
        client.Log());
}

TEST(ArchiverDllTest, ExecutePassesNullBufferForSizeZeroAndReturnsTheResultUnchanged) {
    TArchiverDll dll(kDescription, testdll::FullDll(), "Tarc");
    dll.Load();
    testdll::Client client(dll.Handle());
    client.Clear();
    client.Set("result", 0x8020);
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0x8020, dll.Execute(nullptr, "C:\\a.lzh", "l \"C:\\a.lzh\"", buffer, 0));
    EXPECT_EQ('#', buffer[0]);
    EXPECT_EQ(32800, dll.ExecutePack(nullptr, "C:\\a.lzh", "u x", buffer, sizeof buffer));
    EXPECT_STREQ("tarc:u x", buffer);
    EXPECT_EQ(
        "Tarc|window=null|cmd=l \"C:\\a.lzh\"|output=null|size=0\n"
        "Tarc|window=null|cmd=u x|output=set|size=12\n",
        client.Log());
    client.Set("result", 0);
}

TEST(ArchiverDllTest, EachEntryResolvesOncePerLoadAndAgainAfterUnload) {
    // A copy of its own, so no other binding of this process holds the library.
    TempDir temp("arcdll");
    std::string path = temp / "ONCE.DLL";
    ASSERT_TRUE(::CopyFileA(testdll::FullDll().c_str(), path.c_str(), FALSE));
    ProbeDll dll(kDescription, path, "Tarc");
    EXPECT_EQ(nullptr, dll.Handle());
    EXPECT_EQ(0, dll.Execute(nullptr, "", "first", nullptr, 0));  // loads and resolves
    ASSERT_NE(nullptr, dll.Handle());
    ASSERT_NE(nullptr, dll.Slots().Main);
    testdll::Client(dll.Handle()).Clear();

    // A filled slot is used as it is: no second lookup.
    g_plantedCalls = 0;
    dll.Slots().Main = &PlantedMain;
    EXPECT_EQ(77, dll.Execute(nullptr, "", "second", nullptr, 0));
    EXPECT_EQ(1, g_plantedCalls);
    EXPECT_EQ("", testdll::Client(dll.Handle()).Log());

    dll.Unload();
    EXPECT_EQ(nullptr, dll.Handle());
    EXPECT_EQ(nullptr, dll.Slots().Main);
    EXPECT_EQ(nullptr, ::GetModuleHandleA(path.c_str())) << "library still loaded";

    // The next loading call loads the library afresh (its log starts empty) and looks up again.
    EXPECT_EQ(0, dll.Execute(nullptr, "", "third", nullptr, 0));
    EXPECT_EQ(1, g_plantedCalls);
    EXPECT_EQ("Tarc|window=null|cmd=third|output=null|size=0\n", testdll::Client(dll.Handle()).Log());
}

TEST(ArchiverDllTest, DestroyingTheBindingFreesTheLibrary) {
    TempDir temp("arcdll");
    std::string path = temp / "GONE.DLL";
    ASSERT_TRUE(::CopyFileA(testdll::FullDll().c_str(), path.c_str(), FALSE));
    {
        TArchiverDll dll(kDescription, path, "Tarc");
        dll.Load();
        EXPECT_NE(nullptr, ::GetModuleHandleA(path.c_str()));
    }
    EXPECT_EQ(nullptr, ::GetModuleHandleA(path.c_str()));
}

TEST(ArchiverDllTest, MissingLibraryRaisesTheMessageAndALaterCallTriesAgain) {
    TempDir temp("arcdll");
    std::string path = temp / "LATE.DLL";
    TArchiverDll dll(kDescription, path, "Tarc");
    try {
        dll.Execute(nullptr, "", "l", nullptr, 0);
        FAIL() << "no exception";
    } catch (const ENoArchiverDLL& e) {
        EXPECT_STREQ(("テスト形式書庫 を扱うには " + path + " が 必要です。").c_str(), e.what());
    }
    EXPECT_EQ(nullptr, dll.Handle());
    EXPECT_THROW(dll.CheckArchive(path, 0), ENoArchiverDLL);

    ASSERT_TRUE(::CopyFileA(testdll::FullDll().c_str(), path.c_str(), FALSE));
    EXPECT_EQ(0, dll.Execute(nullptr, "", "l", nullptr, 0));
    EXPECT_NE(nullptr, dll.Handle());
    dll.Unload();  // before the folder goes
}

TEST(ArchiverDllTest, ClassBindingStaysAfterAMissingLibraryAndLoadsOnceItIsThere) {
    TempDir temp("arcdll");
    std::string path = temp / "CLASS.DLL";
    TClassBinding binding(kDescription, path, "Tarc");
    EXPECT_FALSE(binding.Created());
    EXPECT_THROW(binding.LoadDLL(), ENoArchiverDLL);
    EXPECT_TRUE(binding.Created());
    TArchiverDll* first = &binding.Dll();

    ASSERT_TRUE(::CopyFileA(testdll::FullDll().c_str(), path.c_str(), FALSE));
    binding.LoadDLL();
    EXPECT_EQ(first, &binding.Dll());
    EXPECT_NE(nullptr, binding.Dll().Handle());
    EXPECT_EQ("Tarc", binding.Dll().Prefix());

    binding.FreeDLL();
    EXPECT_FALSE(binding.Created());
    EXPECT_EQ(nullptr, ::GetModuleHandleA(path.c_str()));
}

// Lists an archive of three entries: times from the library, from the DOS date and time, and
// none at all (DOS date and time 0).
class EntryTimesTest : public ::testing::TestWithParam<bool> {};

TEST_P(EntryTimesTest, TimesComeFromTheLibraryElseFromTheDosDateAndTime) {
    const bool lean = GetParam();
    TempDir temp("arcdll");
    std::string archive = temp / "times.tarc";
    ASSERT_TRUE(
        testdll::WriteArchive(archive, {
                                           std::string("lib.txt|1000|400|") + kDosNoon + "|111|222|333",
                                           std::string("dos.txt|5|6|") + kDosNoon + "|-|-|-",
                                           "zero.txt|0|0|0|0|-|-|-",
                                       }));
    TArchiverDll dll(kDescription, lean ? testdll::LeanDll() : testdll::FullDll(), "Tarc");
    HARC h = dll.OpenArchive(nullptr, archive, 0);
    ASSERT_NE(nullptr, h);

    const uint64_t noon = NoonOfFirstJanuary2001AsUtc();
    // The expectation is local noon moved by the zone's bias (UTC = local + bias): where the bias is
    // not 0, neither a missing conversion (local noon) nor a reversed one (local noon - bias) passes.
    const uint64_t localNoon = 126228240000000000ULL;  // 2001-01-01 12:00:00 on the file-time scale
    ASSERT_EQ(noon, localNoon + CurrentBias());
    TEntryRecord e;
    std::memset(&e, 0xCC, sizeof e);
    ASSERT_EQ(0, dll.FindFirst(h, "*.*", e));
    EXPECT_EQ("lib.txt", FieldText(e.FileName));
    EXPECT_EQ(1000u, e.OriginalSize);
    EXPECT_EQ(400u, e.CompressedSize);
    EXPECT_EQ(10785, e.DosDate);
    EXPECT_EQ(24576, e.DosTime);
    EXPECT_EQ("-tarc-", FieldText(e.Method));
    EXPECT_EQ(111u, Value(e.LastWriteTime));
    EXPECT_EQ(222u, Value(e.LastAccessTime));
    EXPECT_EQ(lean ? noon : 333u, Value(e.CreationTime));  // the lean library has no GetCreateTimeEx

    std::memset(&e, 0xCC, sizeof e);
    ASSERT_EQ(0, dll.FindNext(h, e));
    EXPECT_EQ("dos.txt", FieldText(e.FileName));
    EXPECT_EQ(noon, Value(e.LastWriteTime));
    EXPECT_EQ(noon, Value(e.LastAccessTime));
    EXPECT_EQ(noon, Value(e.CreationTime));

    std::memset(&e, 0xCC, sizeof e);
    ASSERT_EQ(0, dll.FindNext(h, e));
    EXPECT_EQ("zero.txt", FieldText(e.FileName));
    EXPECT_EQ(0u, Value(e.LastWriteTime));
    EXPECT_EQ(0u, Value(e.LastAccessTime));
    EXPECT_EQ(0u, Value(e.CreationTime));

    // At the end the record's times are left alone.
    std::memset(&e, 0xCC, sizeof e);
    EXPECT_NE(0, dll.FindNext(h, e));
    EXPECT_EQ(0xCCCCCCCCu, e.CreationTime.dwLowDateTime);
    EXPECT_EQ(0, dll.CloseArchive(h));
}

INSTANTIATE_TEST_SUITE_P(FullAndLean, EntryTimesTest, ::testing::Values(false, true), [](const auto& info) {
    return info.param ? "WithoutGetCreateTimeEx" : "AllEntries";
});

// Hostile fixture: a library that fills the whole 513-byte name without a terminator (and leaves
// garbage in the padding after it).
TEST(ArchiverDllTest, UnterminatedNameIsReadOnlyToItsDeclaredSize) {
    TempDir temp("arcdll");
    std::string archive = temp / "long.tarc";
    ASSERT_TRUE(testdll::WriteArchive(archive, {"#513|1|1|0|0|-|-|-"}));
    TArchiverDll dll(kDescription, testdll::FullDll(), "Tarc");
    HARC h = dll.OpenArchive(nullptr, archive, 0);
    ASSERT_NE(nullptr, h);
    TEntryRecord e;
    ASSERT_EQ(0, dll.FindFirst(h, "*", e));
    EXPECT_EQ(std::string(513, 'N'), FieldText(e.FileName));
    dll.CloseArchive(h);
}
