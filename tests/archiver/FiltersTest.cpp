// The component's own pack file selection on real folders.
#include "Filters.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "ArchiveTestSupport.h"
#include "ExtStrms.h"

using namespace arc;
using archive_test::CurrentDir;
using archive_test::CurrentDirKeeper;
using archive_test::MakeTree;
using testing_support::Exists;
using testing_support::SetLocalWriteTime;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using Names = std::vector<std::string>;

namespace {

std::wstring Wide(const std::string& s) {
    int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

bool SetUtcWriteTime(const std::string& path, const FILETIME& utc) {
    HANDLE h = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = ::SetFileTime(h, nullptr, nullptr, &utc);
    ::CloseHandle(h);
    return ok != 0;
}

uint64_t Value(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME Plus(const FILETIME& ft, int64_t units) {
    uint64_t v = Value(ft) + units;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

// A file time as the fourteen digits of a jo/job bound (YYYYMMDDhhmmss).
std::string Digits14(const FILETIME& ft) {
    SYSTEMTIME st;
    ::FileTimeToSystemTime(&ft, &st);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", int{st.wYear}, int{st.wMonth}, int{st.wDay},
                  int{st.wHour}, int{st.wMinute}, int{st.wSecond});
    return text;
}

// The zone's bias now (UTC = local + bias), in file-time units: what LocalFileTimeToFileTime adds
// and FileTimeToLocalFileTime takes away.
int64_t CurrentBias() {
    TIME_ZONE_INFORMATION tz;
    DWORD id = ::GetTimeZoneInformation(&tz);
    long bias = tz.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? tz.DaylightBias : tz.StandardBias);
    return static_cast<int64_t>(bias) * 60 * 10000000LL;
}

class Selection : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeTree(Base(), {"a.txt", "b.log", "sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt", "hidden.txt",
                          "sys.txt", "ro.txt"});
        ::SetFileAttributesA((Dir / "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        ::SetFileAttributesA((Dir / "sys.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
        ::SetFileAttributesA((Dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::string Base() const { return Dir.Path(); }

    // Runs the selection in Base with these options; counts and keeps the progress reports.
    Names Select(TArchiverOptions& options, const TFileList& files) {
        bool abort = false;
        TSelectProgress progress = [this](UINT state, TProgressRecord* record, bool&) {
            Reports.push_back(std::to_string(state) + ":" + FieldText(record->SourceFileName));
        };
        return SelectFiles(Temp, options, Base(), progress, files, abort);
    }

    CurrentDirKeeper Keeper;
    TempDir Dir{"filters"};
    TStrings Temp;
    Names Reports;
};

}  // namespace

TEST_F(Selection, WithoutRecursionAnExistingFileSelectsExactlyItself) {
    TArchiverOptions o;
    EXPECT_EQ(Select(o, {"a.txt"}), Names{"a.txt"});
    EXPECT_EQ(Reports, Names{"2053:a.txt"});
    EXPECT_EQ(Select(o, {"sub\\a.txt"}), Names{"sub\\a.txt"});
    EXPECT_EQ(Select(o, {"missing.txt"}), Names{});
    EXPECT_TRUE(Temp.empty());
}

TEST_F(Selection, RecursionWithPOneSearchesSubfoldersOnlyForWildcards) {
    TArchiverOptions o;
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(Select(o, {"a.txt"}), Names{"a.txt"});
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(Select(o, {"a.*"}), (Names{"a.txt", "sub\\a.txt", "sub\\deep\\a.txt"}));
    // Without p the plain name is looked for in every subfolder too.
    o.r = 1;
    o.p = -1;
    EXPECT_EQ(Select(o, {"a.txt"}), (Names{"a.txt", "sub\\a.txt", "sub\\deep\\a.txt"}));
}

TEST_F(Selection, RTwoTakesAFolderWholeWhileROneTakesItAsAPattern) {
    TArchiverOptions o;
    o.r = 2;
    EXPECT_EQ(Select(o, {"sub"}), (Names{"sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt"}));
    o.r = 1;
    o.p = 1;
    EXPECT_EQ(Select(o, {"sub"}), Names{});
}

TEST_F(Selection, AWildcardExclusionRemovesWhatItReachesFromTheSameFolders) {
    TArchiverOptions o;
    o.r = 1;
    o.jx = {"a.*"};
    EXPECT_EQ(Select(o, {"*.*"}), (Names{"b.log", "ro.txt", "sub\\c.txt"}));
    // A pattern with a folder part reaches that folder's tree only.
    TArchiverOptions sub;
    sub.r = 1;
    sub.jx = {"sub\\*.txt"};
    EXPECT_EQ(Select(sub, {"*.*"}), (Names{"a.txt", "b.log", "ro.txt"}));
}

TEST_F(Selection, SixDigitDatesRunFromMidnightToTheLastSecondInTheCurrentCentury) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const int year = now.wYear / 100 * 100 + 24;  // YY = 24 in this century: a leap year
    MakeTree(Base(), {"d\\before", "d\\first", "d\\last", "d\\after"});
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\before", year, 2, 28, 23, 59, 59, 999));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\first", year, 2, 29, 0, 0, 0));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\last", year, 3, 1, 23, 59, 59, 500));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\after", year, 3, 2, 0, 0, 0));
    TArchiverOptions o;
    o.jo = "240229";
    o.job = "l240301";
    EXPECT_EQ(Select(o, {"d\\*"}), (Names{"d\\first", "d\\last"}));
    // Fourteen digits: the start has its own time of day.
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\first", year, 2, 29, 11, 59, 59));
    ASSERT_TRUE(SetLocalWriteTime(Dir / "d\\last", year, 2, 29, 12, 0, 0));
    TArchiverOptions o14;
    o14.jo = std::to_string(year) + "0229120000";
    EXPECT_EQ(Select(o14, {"d\\*"}), (Names{"d\\after", "d\\last"}));
}

// The bounds are local time and the file times UTC: whatever the zone, a file is selected by the
// local time of its last write, to the second, and not by its UTC digits.
TEST_F(Selection, FourteenDigitBoundsMeetTheLocalTimeOfTheLastWrite) {
    MakeTree(Base(), {"t\\stamp"});
    SYSTEMTIME st{2024, 7, 0, 1, 15, 30, 45, 500};
    FILETIME utc, local;
    ASSERT_TRUE(::SystemTimeToFileTime(&st, &utc));
    ASSERT_TRUE(SetUtcWriteTime(Dir / "t\\stamp", utc));
    ASSERT_TRUE(::FileTimeToLocalFileTime(&utc, &local));
    const int64_t bias = CurrentBias();
    ASSERT_EQ(Value(Plus(local, bias)), Value(utc));
    const int64_t second = 10000000;
    auto select = [&](const std::string& from, const std::string& to) {
        TArchiverOptions o;
        o.jo = from;
        o.job = to;
        return Select(o, {"t\\*"});
    };
    const Names stamp{"t\\stamp"};
    const std::string at = Digits14(local);
    EXPECT_EQ(select(at, at), stamp);
    EXPECT_EQ(select(kUnsetText, at), stamp);  // a job of its own time of day ends at that second
    EXPECT_EQ(select(kUnsetText, Digits14(Plus(local, -second))), Names{});
    EXPECT_EQ(select(at, kUnsetText), stamp);
    EXPECT_EQ(select(Digits14(Plus(local, second)), kUnsetText), Names{});
    EXPECT_EQ(select("l" + at, "l" + at), stamp);
    if (bias != 0) {
        // Neither the UTC digits nor a conversion the wrong way round select it.
        EXPECT_EQ(select(Digits14(utc), Digits14(utc)), Names{});
        EXPECT_EQ(select(Digits14(Plus(utc, bias)), Digits14(Plus(utc, bias))), Names{});
    }
}

TEST_F(Selection, HiddenAndSystemFilesOnlyWithAOneOrMore) {
    TArchiverOptions o;
    EXPECT_EQ(Select(o, {"*.txt"}), (Names{"a.txt", "ro.txt"}));
    o.a = 0;
    EXPECT_EQ(Select(o, {"*.txt"}), (Names{"a.txt", "ro.txt"}));
    o.a = 1;
    EXPECT_EQ(Select(o, {"*.txt"}), (Names{"a.txt", "hidden.txt", "ro.txt", "sys.txt"}));
}

TEST_F(Selection, ANameGivenTwiceIsListedAndReportedOnce) {
    TArchiverOptions o;
    TStrings more{"A.TXT", "b.log"};
    EXPECT_EQ(Select(o, {"a.txt", more, "a.txt"}), (Names{"a.txt", "b.log"}));
    EXPECT_EQ(Reports, (Names{"2053:a.txt", "2053:b.log"}));
}

TEST_F(Selection, AnEmptyListSelectsTheWholeBaseAndAnEmptyNameNothing) {
    TArchiverOptions o;
    EXPECT_EQ(Select(o, {}), (Names{"a.txt", "b.log", "ro.txt"}));
    o.r = 1;
    EXPECT_EQ(Select(o, TFileList{}),
              (Names{"a.txt", "b.log", "ro.txt", "sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt"}));
    o.r = 1;
    EXPECT_EQ(Select(o, {""}), Names{});
}

TEST_F(Selection, TheWorkingOptionsAreRewrittenForTheLibrary) {
    TArchiverOptions o;
    o.r = 2;
    o.p = 0;
    o.jo = "240101";
    o.job = "991231";
    o.a = 1;
    o.jx = {"*.log"};
    Select(o, {"nothing"});
    EXPECT_EQ(o.r, -1);
    EXPECT_EQ(o.p, 1);
    EXPECT_TRUE(IsUnsetText(o.jo));
    EXPECT_TRUE(IsUnsetText(o.job));
    EXPECT_EQ(o.a, 1);
    EXPECT_EQ(o.jx, TStrings{"*.log"});
}

TEST_F(Selection, AbortFromTheProgressStopsAtTheNextFile) {
    TArchiverOptions o;
    o.r = 1;
    bool abort = false;
    int calls = 0;
    TSelectProgress progress = [&](UINT, TProgressRecord*, bool& stop) {
        ++calls;
        stop = true;
    };
    Names got = SelectFiles(Temp, o, Base(), progress, {"*.*"}, abort);
    EXPECT_TRUE(abort);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(got.size(), 1u);
}

TEST_F(Selection, ShortNamesWithJi) {
    MakeTree(Base(), {"longer name here.text"});
    char shortPath[MAX_PATH];
    DWORD n = ::GetShortPathNameA((Dir / "longer name here.text").c_str(), shortPath, MAX_PATH);
    std::string full(shortPath, n), shortName = full.substr(full.rfind('\\') + 1);
    if (shortName == "longer name here.text") GTEST_SKIP() << "this volume makes no short names";
    TArchiverOptions o;
    o.ji = 1;
    EXPECT_EQ(Select(o, {"longer*"}), Names{shortName});
    o.ji = -1;
    EXPECT_EQ(Select(o, {"longer*"}), Names{"longer name here.text"});
}

// Several names in one folder are answered from one listing of it: what each selects must be what
// it selects alone (a search of its own), letter case of the disk and short names included.
TEST_F(Selection, NamesInOneFolderSelectWhatEachSelectsAlone) {
    MakeTree(Base(), {"Mixed Case Name.Text", "sub\\C2.txt"});
    char shortPath[MAX_PATH];
    DWORD n = ::GetShortPathNameA((Dir / "Mixed Case Name.Text").c_str(), shortPath, MAX_PATH);
    const std::string full(shortPath, n), shortName = full.substr(full.rfind('\\') + 1);
    const Names names{
        "A.TXT",   "b.log",      "hidden.txt",  "missing.txt", "ro.txt",          "MIXED CASE NAME.TEXT",
        shortName, "sub\\c.txt", "sub\\C2.TXT", "sub\\a.txt",  "sub\\missing.txt"};
    TArchiverOptions o;
    TSortedList alone;
    for (const std::string& name : names)
        for (const std::string& got : Select(o, {name})) alone.Add(got);
    const Names together = Select(o, TFileList{TFileArg(names)});
    EXPECT_EQ(together, alone.Items());
    EXPECT_EQ(together, (Names{"a.txt", "b.log", "Mixed Case Name.Text", "ro.txt", "sub\\a.txt", "sub\\c.txt",
                               "sub\\C2.txt"}));
}

TEST_F(Selection, JfMinusTwoMakesFullNamesRelativeToTheBaseDirectoryPart) {
    TArchiverOptions o;
    o.jf = -2;
    bool abort = false;
    std::string base = Base();
    // With its trailing backslash the base itself is the directory part.
    EXPECT_EQ(SelectFiles(Temp, o, base, nullptr, {base + "sub\\*.txt", "a.txt"}, abort),
              (Names{"a.txt", "sub\\a.txt", "sub\\c.txt"}));
    o.jf = -2;
    std::string noSlash = base.substr(0, base.size() - 1);
    std::string folder = noSlash.substr(noSlash.rfind('\\') + 1);
    EXPECT_EQ(SelectFiles(Temp, o, noSlash, nullptr, {base + "sub\\c.txt"}, abort),
              Names{folder + "\\sub\\c.txt"});
}

// Stand-in for AddStreams on a volume with streams: every file given to it has a character-5 stream
// "S", read from a file outside the base.
class StreamSelection : public Selection {
  protected:
    Names SelectWithStreams(TArchiverOptions& options, const TFileList& files) {
        EXPECT_TRUE(WriteFileBytes(Outside / "summary", "summary"));
        bool abort = false;
        TStreamAdder adder = [this](TStrings& selected, TStrings& temp, const std::string& fullPath,
                                    const TArchiverOptions& o, const WIN32_FIND_DATAA& fd,
                                    const std::string& entryName) {
            StreamsAskedFor.push_back(fullPath);
            AddNamedStream(selected, temp, fullPath, entryName, L":\x05S:$DATA", Wide(Outside / "summary"), 7,
                           o.StreamSeparator, fd);
        };
        return SelectFiles(Temp, options, Base(), nullptr, files, abort, adder);
    }
    TempDir Outside{"filters-streams"};
    Names StreamsAskedFor;
};

TEST_F(StreamSelection, AStreamFileMetAgainByALaterSearchIsPassedBy) {
    TArchiverOptions o;
    // The first name writes a.txt's stream file before the second one searches the folder.
    EXPECT_EQ(SelectWithStreams(o, {"a.txt", "*"}),
              (Names{"a.txt", "a.txt;#S;$DATA", "b.log", "b.log;#S;$DATA", "ro.txt", "ro.txt;#S;$DATA"}));
    for (const std::string& asked : StreamsAskedFor) EXPECT_EQ(asked.find(';'), std::string::npos) << asked;
    EXPECT_EQ(Temp,
              (Names{Base() + "a.txt;#S;$DATA", Base() + "b.log;#S;$DATA", Base() + "ro.txt;#S;$DATA"}));
    EXPECT_FALSE(Exists(Dir / "a.txt;#S;$DATA;#S;$DATA"));
}

TEST_F(StreamSelection, WithShortNamesAStreamFileIsNotPackedASecondTime) {
    MakeTree(Base(), {"s\\long name.doc"});
    char shortPath[MAX_PATH];
    DWORD n = ::GetShortPathNameA((Dir / "s\\long name.doc").c_str(), shortPath, MAX_PATH);
    std::string full(shortPath, n), shortName = full.substr(full.rfind('\\') + 1);
    if (shortName == "long name.doc") GTEST_SKIP() << "this volume makes no short names";
    TArchiverOptions o;
    o.ji = 1;
    // The stream file is named after the short name and has a short name of its own, under which
    // the search of the folder would list it.
    EXPECT_EQ(SelectWithStreams(o, {"s\\long name.doc", "s\\*"}),
              (Names{"s\\" + shortName, "s\\" + shortName + ";#S;$DATA"}));
    EXPECT_EQ(Temp, Names{Base() + "s\\" + shortName + ";#S;$DATA"});
}

TEST_F(Selection, AWideNameWithoutAnAnsiFormSelectsNothing) {
    ASSERT_EQ(932u, ::GetACP());
    MakeTree(Base(), {"w\\rasumo.txt", "w\\resume.txt"});
    TArchiverOptions o;
    o.r = 1;
    EXPECT_EQ(Select(o, {L"w\\r\u00e9sum\u00e9.txt"}), Names{});
    EXPECT_TRUE(Reports.empty());
}

TEST_F(Selection, FoundNamesWithoutAnExactAnsiFormAreLeftOut) {
    ASSERT_EQ(932u, ::GetACP());
    // Next to resume.txt: names whose ANSI forms would be resume.txt again, or a wildcard.
    ASSERT_TRUE(::CreateDirectoryW(Wide(Dir / "u").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(Wide(Dir / "u\\").append(L"d\u0100r").c_str(), nullptr));
    for (const std::wstring& name : {std::wstring(L"r\u00e9sum\u00e9.txt"), std::wstring(L"x\u0100y.txt"),
                                     std::wstring(L"d\u0100r\\inner.txt"), std::wstring(L"resume.txt")}) {
        HANDLE h = ::CreateFileW((Wide(Dir / "u\\") + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                 nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ::CloseHandle(h);
    }
    TArchiverOptions o;
    o.r = 1;
    EXPECT_EQ(Select(o, {"u\\*.*"}), Names{"u\\resume.txt"});
    o.r = 2;
    EXPECT_EQ(Select(o, {"u"}), Names{"u\\resume.txt"});
}

TEST_F(Selection, JunctionsAndLinksAreNeverEntered) {
    // A link below the base folder back to it: a loop.
    testing_support::UnixFolderLink loop(Dir / "sub\\", "loop", "..");
    ASSERT_TRUE(loop.Made());
    ASSERT_TRUE(Exists(Dir / "sub\\loop\\a.txt"));
    TArchiverOptions o;
    o.r = 1;
    EXPECT_EQ(Select(o, {"*.txt"}),
              (Names{"a.txt", "ro.txt", "sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt"}));
    o.r = 2;
    EXPECT_EQ(Select(o, {"sub"}), (Names{"sub\\a.txt", "sub\\c.txt", "sub\\deep\\a.txt"}));
}

TEST_F(Selection, TheCurrentDirectoryComesBackAlsoAfterAnError) {
    const std::string before = CurrentDir();
    TArchiverOptions o;
    Select(o, {"a.txt"});
    EXPECT_EQ(CurrentDir(), before);
    o.jo = "241332";  // month 13
    EXPECT_THROW(Select(o, {"a.txt"}), EConvertError);
    EXPECT_EQ(CurrentDir(), before);
    TArchiverOptions fine;
    bool abort = false;
    EXPECT_THROW(SelectFiles(Temp, fine, Dir / "no such folder", nullptr, {"a.txt"}, abort), EInOutError);
    EXPECT_EQ(CurrentDir(), before);
    EXPECT_TRUE(Temp.empty());
}

TEST(ParseDate, LengthsAndValidation) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const int century = now.wYear / 100 * 100;
    EXPECT_EQ(ParseDate(kUnsetText, "000000"), 0);
    EXPECT_EQ(ParseDate("", "000000"), 0);
    EXPECT_EQ(ParseDate("2401011", "000000"), 0);
    EXPECT_EQ(ParseDate("240101", "000000"), ParseDate(std::to_string(century + 24) + "0101", "000000"));
    EXPECT_EQ(ParseDate("240101", "235959") - ParseDate("240101", "000000"), 86399);
    EXPECT_EQ(ParseDate("240101123456", "000000") - ParseDate("240101", "000000"), 12 * 3600 + 34 * 60 + 56);
    EXPECT_EQ(ParseDate("l20240101", "000000"), ParseDate("20240101", "000000"));
    EXPECT_EQ(ParseDate("20240301", "000000") - ParseDate("20240228", "000000"), 2 * 86400);  // leap day
    EXPECT_EQ(ParseDate("20230301", "000000") - ParseDate("20230228", "000000"), 86400);
    for (const char* bad : {"20230229", "20241301", "20240100", "2024010a", "20240101240000",
                            "20240101006000", "l24a101", "24010199"})
        EXPECT_THROW(ParseDate(bad, "000000"), EConvertError) << bad;
}

TEST(JoinPath, DelimitersAndDoubleByteEndings) {
    EXPECT_EQ(JoinPath("", "a.txt"), "a.txt");
    EXPECT_EQ(JoinPath("sub\\", "a.txt"), "sub\\a.txt");
    EXPECT_EQ(JoinPath("sub", "a.txt"), "sub\\a.txt");
    EXPECT_EQ(JoinPath("sub/", "a.txt"), "sub/a.txt");
    EXPECT_EQ(JoinPath("C:", "a.txt"), "C:a.txt");
    // "ソ" ends in the byte 0x5C but is no backslash.
    EXPECT_EQ(JoinPath("\x83\x5C", "a.txt"), "\x83\x5C\\a.txt");
}

TEST(ExtractRelativePath, DrivesAndSharedFolders) {
    EXPECT_EQ(ExtractRelativePath("C:\\x\\y\\", "C:\\x\\z\\f.txt"), "..\\z\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\X\\", "c:\\x\\sub\\f.txt"), "sub\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\x", "C:\\x\\f.txt"), "x\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\x\\", "D:\\x\\f.txt"), "D:\\x\\f.txt");
    EXPECT_EQ(ExtractRelativePath("C:\\x\\", "sub\\f.txt"), "sub\\f.txt");
}

TEST(SortedList, CaseBlindUniqueAndDoubleByteSafe) {
    TSortedList list;
    EXPECT_TRUE(list.Add("b.txt"));
    EXPECT_TRUE(list.Add("A.txt"));
    EXPECT_FALSE(list.Add("a.TXT"));
    // 0x83 0x61 and 0x83 0x41 are two different characters: no ASCII case folding of trail bytes.
    EXPECT_TRUE(list.Add("\x83\x61"));
    EXPECT_TRUE(list.Add("\x83\x41"));
    EXPECT_TRUE(list.Contains("B.TXT"));
    EXPECT_EQ(list.Items().front(), "A.txt");
    EXPECT_EQ(list.Count(), 4u);
}
