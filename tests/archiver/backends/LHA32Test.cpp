// The LHA back-end: its command lines, the switch assertions, its class-level binding and its
// format probe, against the test library built as UNLHA32.DLL (prefix "Unlha") and, where it is
// built, our real UNLHA32.DLL.
#include <gtest/gtest.h>

#include "ARJ32.h"
#include "ArchiverErrors.h"
#include "BackendTestSupport.h"
#include "LHA32.h"
#include "TestSupport.h"

using namespace arc;
using backend_test::LibraryOf;
using backend_test::SearchLibrariesIn;
using testing_support::TempDir;

namespace {

class LhaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TLha32::FreeDLL();
        ASSERT_TRUE(SearchLibrariesIn(testdll::LhaDir()));
    }
    void TearDown() override {
        TLha32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }

    // The options the backup engine packs with.
    static TArchiverOptions BackupOptions() {
        TArchiverOptions o;
        o.a = 1;
        o.n = 1;
        o.x = 1;
        o.jm = 2;
        o.jso = 1;
        return o;
    }
    static TArchiverOptions ExtractOptions() {
        TArchiverOptions o;
        o.jse = 1;
        o.jso = 1;
        return o;
    }

    const std::string archive = "C:\\Arc\\2001_0101_1200.lzh";
};

// Asserts that call raises EAssertionFailed whose message begins with prefix.
template <typename F>
void ExpectAssertion(F call, const std::string& prefix) {
    try {
        call();
        ADD_FAILURE() << "no assertion, expected " << prefix;
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(0u, std::string(e.what()).find(prefix)) << e.what();
    }
}

}  // namespace

TEST_F(LhaTest, BackupPackLineComesOutExactly) {
    TLha32 lha;
    EXPECT_EQ(
        "u -+ -a1 -n1 -x1 -jm2 -jso1  \"C:\\Arc\\2001_0101_1200.lzh\" \"C:\\Base\\\" \"a.txt\" "
        "\"sub\\b.txt\" ",
        lha.PackCommand(nullptr, archive, BackupOptions(), "C:\\Base", {TStrings{"a.txt", "sub\\b.txt"}},
                        false));
}

TEST_F(LhaTest, EverySwitchIsWrittenInThePublishedOrderUnderItsOwnName) {
    TLha32 lha;
    TArchiverOptions o;
    o.a = 1, o.c = 2, o.e = 3, o.f = 4, o.h = 5, o.i = 6, o.l = 7, o.m = 8, o.n = 9, o.o = 10, o.p = 11;
    o.r = 12, o.s = 13, o.t = 14, o.u = 15, o.w = "C:\\Work", o.x = 16, o.y = 17, o.z = 18, o.jc = 19;
    o.jd = 20, o.je = 21, o.jf = 22, o.jh = 23, o.ji = 24, o.jm = 25, o.jn = 26, o.jo = "JO", o.job = "JOB";
    o.jp = 27, o.jr = 28, o.jsb = 29, o.jsc = 30, o.jsd = 31, o.jse = 32, o.jsf = 33, o.jsl = 34, o.jso = 35;
    o.jss = 36, o.jst = 37, o.jsv = 38, o.jsz = 39, o.jw = 40, o.jx = {"*.bak"}, o.jyc = 41, o.jyd = 42;
    o.jyk = 43, o.jyn = 44, o.jyo = 45, o.jz = "JZ", o.ga = 46, o.gd = 47, o.ge = 48, o.gf = 49, o.gj = 50;
    o.gm = 51, o.gn = 52, o.go = 53, o.gp = 54, o.gr = "GR", o.gs = 55, o.gu = 56, o.gw = 57, o.gya = 58;
    o.gyc = 59, o.gyd = "GYD", o.gye = "GYE", o.gyo = 60, o.gyq = 61, o.gys = 62, o.gyt = "GYT";
    o.gyw = "GYW", o.gyx = 63, o.UserOptions = "-user", o.UserFileList = "-tail";
    EXPECT_EQ(
        "u -+ -a1 -c2 -e3 -f4 -h5 -i6 -l7 -m8 -n9 -o10 -p11 -r12 -s13 -t14 -u15 \"-wC:\\Work\\\" -x16 -y17 "
        "-z18 "
        "-jc19 -jd20 -je21 -jf22 -jh23 -ji24 -jm25 -jn26 \"-joJO\" \"-jobJOB\" -jp27 -jr28 -jsb29 -jsc30 "
        "-jsd31 "
        "-jse32 -jsf33 -jsl34 -jso35 -jss36 -jst37 -jsv38 -jsz39 -jw40 \"-jx*.bak\" -jyc41 -jyd42 -jyk43 "
        "-jyn44 "
        "-jyo45 \"-jzJZ\" -ga46 -gd47 -ge48 -gf49 -gj50 -gm51 -gn52 -go53 -gp54 \"-grGR\" -gs55 -gu56 -gw57 "
        "-gya58 -gyc59 \"-gydGYD\" \"-gyeGYE\" -gyo60 -gyq61 -gys62 \"-gytGYT\" \"-gywGYW\" -gyx63 -user "
        "\"C:\\a.lzh\" \"C:\\Base\\\" \"f.txt\" -tail",
        lha.PackCommand(nullptr, "C:\\a.lzh", o, "C:\\Base\\", {"f.txt"}, true));

    // A text switch set to the empty text is written without a value; the directory switch w
    // is not written when empty.
    TArchiverOptions e;
    e.jso = 0;
    e.jz = "";
    e.w = "";
    EXPECT_EQ("u -+ -jso0 \"-jz\"  \"C:\\a.lzh\" ", lha.PackCommand(nullptr, "C:\\a.lzh", e, "", {}, false));
}

TEST_F(LhaTest, UnsetJsoRaisesForEveryLineAndExtractionAsksForJseFirst) {
    TLha32 lha;
    TArchiverOptions unset;
    const std::string jso = "jso オプションが設定されていません。";
    const std::string jse = "jse オプションが設定されていません。";
    ExpectAssertion([&] { lha.ExtractCommand(nullptr, archive, unset, "D:\\Out", {}, false); }, jse);
    ExpectAssertion([&] { lha.PackCommand(nullptr, archive, unset, "C:\\Base", {"a"}, false); }, jso);
    ExpectAssertion([&] { lha.DeleteCommand(nullptr, archive, unset, "", {"a"}, false); }, jso);
    ExpectAssertion([&] { lha.UpdateCommand(nullptr, archive, unset, "C:\\Base", {"a"}, false); }, jso);
    ExpectAssertion([&] { lha.SfxCommand(nullptr, archive, unset, "C:\\Out"); }, jso);
    ExpectAssertion([&] { lha.ExtractMemCommand(nullptr, archive, unset, "a"); }, jso);
    TArchiverOptions onlyJse;
    onlyJse.jse = 1;
    ExpectAssertion([&] { lha.ExtractCommand(nullptr, archive, onlyJse, "D:\\Out", {}, false); }, jso);
}

TEST_F(LhaTest, FailedAssertionSendsNothingAndLeavesTheCallersLineAlone) {
    TLha32 lha;
    testdll::Client library = LibraryOf(lha.Dll());
    library.Clear();
    std::string cmdLine = "before", output;
    EXPECT_THROW(lha.Extract(nullptr, archive, TArchiverOptions(), "D:\\Out", {}, false, cmdLine, output),
                 EAssertionFailed);
    EXPECT_EQ("before", cmdLine);
    EXPECT_EQ("", library.Log());

    // A line that builds reaches the library as it is.
    EXPECT_EQ(0, lha.Pack(nullptr, archive, BackupOptions(), "C:\\Base", {"a.txt"}, false, cmdLine, output));
    EXPECT_EQ("u -+ -a1 -n1 -x1 -jm2 -jso1  \"C:\\Arc\\2001_0101_1200.lzh\" \"C:\\Base\\\" \"a.txt\" ",
              cmdLine);
    EXPECT_EQ("Unlha|window=null|cmd=" + cmdLine + "|output=null|size=0\n", library.Log());
}

TEST_F(LhaTest, ExtractionLineWithOnlyJseAndJso) {
    TLha32 lha;
    EXPECT_EQ("x -+ -jse1 -jso1  \"C:\\a.lzh\" \"D:\\Out\\\" ",
              lha.ExtractCommand(nullptr, "C:\\a.lzh", ExtractOptions(), "D:\\Out", {}, false));
}

TEST_F(LhaTest, OwnerWindowForcesN1WhateverTheOptionHolds) {
    TLha32 lha;
    TArchiverOptions o = ExtractOptions();
    o.n = 0;
    EXPECT_EQ("x -+ -n0 -jse1 -jso1  \"C:\\a.lzh\" ",
              lha.ExtractCommand(nullptr, "C:\\a.lzh", o, "", {}, false));
    ASSERT_TRUE(lha.SetOwnerWindow(::GetDesktopWindow(), nullptr));
    EXPECT_EQ("x -+ -n1 -jse1 -jso1  \"C:\\a.lzh\" ",
              lha.ExtractCommand(nullptr, "C:\\a.lzh", o, "", {}, false));
    o.n = -1;
    EXPECT_EQ("x -+ -n1 -jse1 -jso1  \"C:\\a.lzh\" ",
              lha.ExtractCommand(nullptr, "C:\\a.lzh", o, "", {}, false));
    lha.KillOwnerWindow(::GetDesktopWindow());
    EXPECT_EQ("x -+ -jse1 -jso1  \"C:\\a.lzh\" ", lha.ExtractCommand(nullptr, "C:\\a.lzh", o, "", {}, false));
}

TEST_F(LhaTest, ExclusionsStandEachInItsOwnQuotesBetweenJwAndJyc) {
    TLha32 lha;
    TArchiverOptions o = ExtractOptions();
    o.jw = 1;
    o.jyc = 1;
    o.jx = {"*.bak", "", "*.tmp"};
    EXPECT_EQ("x -+ -jse1 -jso1 -jw1 \"-jx*.bak\" \"-jx*.tmp\" -jyc1  \"C:\\a.lzh\" ",
              lha.ExtractCommand(nullptr, "C:\\a.lzh", o, "", {}, false));
}

TEST_F(LhaTest, DeleteSfxAndMemoryLines) {
    TLha32 lha;
    TArchiverOptions o = ExtractOptions();
    EXPECT_EQ("d -+ -jse1 -jso1  \"C:\\a.lzh\" \"x.txt\" ",
              lha.DeleteCommand(nullptr, "C:\\a.lzh", o, "C:\\Base", {"x.txt"}, false));
    EXPECT_EQ("s -+ -jse1 -jso1  \"C:\\a.lzh\" \"C:\\Out\\\" ",
              lha.SfxCommand(nullptr, "C:\\a.lzh", o, "C:\\Out"));
    EXPECT_EQ(" -+ -jse1 -jso1  \"C:\\a.lzh\" \"sub\\x.txt\" ",
              lha.ExtractMemCommand(nullptr, "C:\\a.lzh", o, "sub\\x.txt"));
    EXPECT_EQ("f -+ -jse1 -jso1  \"C:\\a.lzh\" \"C:\\Base\\\" \"x.txt\" ",
              lha.UpdateCommand(nullptr, "C:\\a.lzh", o, "C:\\Base", {"x.txt"}, false));
}

TEST_F(LhaTest, ResponseFileFollowsResFileUsageNotTheCallersFlag) {
    TempDir temp("lha32");
    TLha32 lha;
    TArchiverOptions o = BackupOptions();
    o.ResFileName = temp / "resp.txt";
    o.ResFileUsage = {TResFileUse::ruOnUnpack};
    EXPECT_EQ("u -+ -a1 -n1 -x1 -jm2 -jso1  \"C:\\a.lzh\" \"C:\\B\\\" \"a.txt\" ",
              lha.PackCommand(nullptr, "C:\\a.lzh", o, "C:\\B", {"a.txt"}, true));
    EXPECT_FALSE(testing_support::Exists(o.ResFileName));

    o.ResFileUsage = {TResFileUse::ruOnPack};
    EXPECT_EQ("u -+ -a1 -n1 -x1 -jm2 -jso1  \"C:\\a.lzh\" \"C:\\B\\\" \"@" + o.ResFileName + "\" ",
              lha.PackCommand(nullptr, "C:\\a.lzh", o, "C:\\B", {"a.txt"}, false));
    EXPECT_EQ("\"a.txt\"\r\n", testing_support::ReadFileBytes(o.ResFileName));
}

TEST_F(LhaTest, InstancesShareOneClassBindingThatOutlivesThem) {
    TCustomArchiverDll* first;
    {
        TLha32 a;
        TLha32 b;
        EXPECT_EQ(&a.Dll(), &b.Dll());
        first = &a.Dll();
    }
    TLha32 c;
    EXPECT_EQ(first, &c.Dll());
    auto& bound = dynamic_cast<TArchiverDll&>(c.Dll());
    EXPECT_EQ("LHA 形式書庫", bound.Description());
    EXPECT_EQ("UNLHA32.DLL", bound.DllName());
    EXPECT_EQ("Unlha", bound.Prefix());
    EXPECT_EQ(testdll::LhaDir() + "UNLHA32.DLL", ModuleFileName(bound.Handle()));
}

TEST_F(LhaTest, MissingLibraryRaisesFromTheConstructorAndALaterOneFindsIt) {
    TempDir empty("lha32");
    ASSERT_TRUE(SearchLibrariesIn(empty.Path()));
    try {
        TLha32 lha;
        FAIL() << "no exception";
    } catch (const ENoArchiverDLL& e) {
        EXPECT_STREQ("LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。", e.what());
    }
    EXPECT_FALSE(IsLhaArchive(empty / "any.lzh"));

    ASSERT_TRUE(SearchLibrariesIn(testdll::LhaDir()));
    TLha32 lha;
    EXPECT_NE(nullptr, dynamic_cast<TArchiverDll&>(lha.Dll()).Handle());
}

TEST_F(LhaTest, ProbeChecksThenOpensAndClosesAndNeverRaises) {
    TempDir temp("lha32");
    ASSERT_TRUE(testdll::WriteArchive(temp / "ok.tarc", {"a.txt|1|1|0|0|-|-|-"}));
    TLha32::LoadDLL();
    TLha32 lha;
    testdll::Client library = LibraryOf(lha.Dll());

    library.Clear();
    EXPECT_FALSE(IsLhaArchive(temp / "missing.lzh"));
    EXPECT_EQ("CheckArchive|" + temp.Path() + "missing.lzh|mode=16\n", library.Log());

    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(temp.Path().c_str()));
    library.Clear();
    bool relative = IsLhaArchive("ok.tarc");
    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(relative);
    const std::string full = temp / "ok.tarc";
    EXPECT_EQ("CheckArchive|" + full + "|mode=16\nOpenArchive|window=null|" + full +
                  "|mode=8388610\nCloseArchive|set\n",
              library.Log());

    // Accepted by the check but not opened: false, and no handle to close.
    library.Set("openfails", 1);
    library.Clear();
    EXPECT_FALSE(IsLhaArchive(full));
    EXPECT_EQ("CheckArchive|" + full + "|mode=16\nOpenArchive|window=null|" + full + "|mode=8388610\n",
              library.Log());
    library.Set("openfails", 0);
}

#ifdef PELMIRA_HAVE_UNLHA32

// Our real UNLHA32.DLL, in the program folder above this test program's.
class RealLhaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TLha32::FreeDLL();
        ASSERT_TRUE(SearchLibrariesIn(ostra::AppDir() + "..\\"));
    }
    void TearDown() override {
        TLha32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
};

TEST_F(RealLhaTest, ProbeAcceptsArchivesOfTheLibraryAndOfJlhaAndRefusesOtherFiles) {
    TempDir temp("lha32");
    ASSERT_TRUE(testing_support::WriteFileBytes(temp / "a.txt", std::string(3000, 'a') + "end"));
    TLha32 lha;
    TArchiverOptions o;
    o.a = 1, o.n = 1, o.x = 1, o.jm = 2, o.jso = 1;
    std::string cmdLine, output;
    const std::string archive = temp / "made.lzh";
    ASSERT_EQ(0, lha.Pack(nullptr, archive, o, temp.Path(), {"a.txt"}, false, cmdLine, output)) << cmdLine;
    EXPECT_TRUE(IsLhaArchive(archive));
    EXPECT_TRUE(IsLhaArchive(ostra::AppDir() + "fixtures\\jlha-stored.lzh"));
    EXPECT_FALSE(IsLhaArchive(temp / "a.txt"));
    EXPECT_FALSE(IsLhaArchive(temp / "missing.lzh"));

    // The entry records the library fills line up with ours.
    HARC h = lha.OpenArchive(nullptr, archive, 0);
    ASSERT_NE(nullptr, h);
    TEntryRecord e;
    ASSERT_EQ(0, lha.FindFirst(h, e, "*.*"));
    EXPECT_EQ("a.txt", FieldText(e.FileName));
    EXPECT_EQ(3003u, e.OriginalSize);
    EXPECT_NE(0, lha.FindNext(h, e));
    lha.CloseArchive(h);
}

#endif
