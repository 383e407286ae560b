// The abstract archiver: refusals of the base, building then running, routing of packing
// commands, the owner window and the file-list helpers, against the test libraries.
#include <gtest/gtest.h>

#include "Archiver.h"
#include "ArchiverErrors.h"
#include "TestDllClient.h"
#include "TestSupport.h"

using namespace arc;
using testing_support::TempDir;

namespace {

// A back-end that builds extraction lines only, with a class-level binding to one test library
// (Lean selects the library without the optional entries).
template <bool Lean>
class TTestArchiver : public TArchiver {
  public:
    TTestArchiver() : TArchiver(Binding()) {}
    static TClassBinding<>& Binding() {
        static TClassBinding<> binding("テスト形式書庫", Lean ? testdll::LeanDll() : testdll::FullDll(),
                                       "Tarc");
        return binding;
    }
    std::string ExtractCommand(HWND, const std::string& archive, const TArchiverOptions& options,
                               const std::string& dir, const TFileList& files,
                               bool useResponseFile) override {
        TCmdOpt cmd;
        AddArchiveAndDir(cmd, archive, dir);
        AddFileList(cmd, options, files, useResponseFile);
        return "x" + cmd.CmdLine;
    }

    testdll::Client Library() { return testdll::Client(Binding().Dll().Handle()); }
    using TArchiver::AddArchiveAndDir;
    using TArchiver::AddFileList;
    using TArchiver::OwnerWindowSet;
};
using TFullArchiver = TTestArchiver<false>;
using TLeanArchiver = TTestArchiver<true>;

// A binding whose packing goes elsewhere: it marks the packing calls in its own log.
class TRoutingDll : public TArchiverDll {
  public:
    TRoutingDll() : TArchiverDll("テスト形式書庫", testdll::FullDll(), "Tarc") {}
    int ExecutePack(HWND window, const std::string& archive, const std::string& cmdLine, char* output,
                    DWORD size) override {
        Packed += archive + "|" + cmdLine + "\n";
        return TArchiverDll::ExecutePack(window, archive, cmdLine, output, size);
    }
    std::string Packed;
};

// Builds every kind of line, each told apart by its word.
class TPackingArchiver : public TArchiver {
  public:
    TPackingArchiver() : TArchiver(RoutingBinding()) { Routing().Packed.clear(); }
    static TClassBinding<TRoutingDll>& RoutingBinding() {
        static TClassBinding<TRoutingDll> binding(
            [] { return std::unique_ptr<TCustomArchiverDll>(new TRoutingDll); });
        return binding;
    }
    TRoutingDll& Routing() { return RoutingBinding().Dll(); }
    std::string ExtractCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                               const TFileList&, bool) override {
        return "x";
    }
    std::string PackCommand(HWND, const std::string&, const TArchiverOptions&, const std::string& dir,
                            const TFileList&, bool) override {
        return "u " + dir;
    }
    std::string DeleteCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                              const TFileList&, bool) override {
        return "d";
    }
    std::string UpdateCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                              const TFileList&, bool) override {
        return "f";
    }
    std::string SfxCommand(HWND, const std::string&, const TArchiverOptions&,
                           const std::string& dir) override {
        return "s " + dir;
    }
    std::string ExtractMemCommand(HWND, const std::string&, const TArchiverOptions&,
                                  const std::string& name) override {
        return " \"" + name + "\"";
    }
};

// Implements only what a back-end must: its class's binding and an extraction line. Nothing of
// its own loads the library.
class TBareArchiver : public TArchiver {
  public:
    TBareArchiver() : TArchiver(Binding()) {}
    static TClassBinding<>& Binding() {
        static TClassBinding<> binding("テスト形式書庫", testdll::FullDll(), "Tarc");
        return binding;
    }
    std::string ExtractCommand(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                               const TFileList&, bool) override {
        return "x";
    }
    std::string PackCommand(HWND, const std::string&, const TArchiverOptions&, const std::string& dir,
                            const TFileList&, bool) override {
        return "u " + dir;
    }
};

}  // namespace

TEST(ArchiverTest, BaseRefusesUnsupportedOperationsWithItsMessagesAndSendsNothing) {
    TFullArchiver archiver;
    archiver.Library().Clear();
    TArchiverOptions options;
    std::string cmdLine = "before";
    std::string output(16, '\0');
    auto expectRefusal = [&](auto call, const char* message) {
        try {
            call();
            ADD_FAILURE() << "no exception for " << message;
        } catch (const EArchiver& e) {
            EXPECT_STREQ(message, e.what());
        }
        EXPECT_EQ("before", cmdLine);
    };
    expectRefusal([&] { archiver.Pack(nullptr, "a.tarc", options, "C:\\", {"a"}, false, cmdLine, output); },
                  "この形式では書庫ファイルの作成をサポートしておりません。");
    expectRefusal([&] { archiver.Delete(nullptr, "a.tarc", options, "C:\\", {"a"}, false, cmdLine, output); },
                  "この形式の書庫ではファイルの削除をサポートしておりません。");
    expectRefusal([&] { archiver.Update(nullptr, "a.tarc", options, "C:\\", {"a"}, false, cmdLine, output); },
                  "この形式の書庫では書庫の更新をサポートしておりません。");
    expectRefusal([&] { archiver.MakeSfx(nullptr, "a.tarc", options, "C:\\", cmdLine, output); },
                  "この形式では自己解凍書庫の作成をサポートしておりません。");
    expectRefusal(
        [&] {
            DWORD written = 0;
            archiver.ExtractMem(nullptr, "a.tarc", options, "a", output.data(), 16, &written, cmdLine);
        },
        "この形式ではメモリ展開をサポートしておりません。");
    EXPECT_EQ("", archiver.Library().Log());
}

TEST(ArchiverTest, SfxNoRequiredFileNamesBothKindsAndTheFile) {
    try {
        throw ESfxNoRequiredFile("ZIP", "Win32 GUI ", "SFX32GUI.DAT");
    } catch (const EArchiver& e) {
        EXPECT_STREQ("ZIP 書庫からのWin32 GUI 自己解凍書庫の作成には 'SFX32GUI.DAT' ファイルが必要です。",
                     e.what());
        const auto* sfx = dynamic_cast<const ESfxNoRequiredFile*>(&e);
        ASSERT_NE(nullptr, sfx);
        EXPECT_EQ("ZIP", sfx->ArchiveKind);
        EXPECT_EQ("Win32 GUI ", sfx->SfxKind);
        EXPECT_EQ("SFX32GUI.DAT", sfx->RequiredFile);
    }
}

TEST(ArchiverTest, EnsureDllLoadsTheClassBindingOfABackEndThatDefinesNoLoadingOfItsOwn) {
    TBareArchiver bare;
    TBareArchiver::Binding().FreeDLL();
    EXPECT_FALSE(TBareArchiver::Binding().Created());
    bare.EnsureDLL();
    ASSERT_TRUE(TBareArchiver::Binding().Created());
    EXPECT_EQ(testdll::FullDll(), ModuleFileName(TBareArchiver::Binding().Dll().Handle()));

    // The binding the back-end uses is the one EnsureDLL loaded.
    EXPECT_EQ(&TBareArchiver::Binding().Dll(), &bare.Dll());
    testdll::Client library(TBareArchiver::Binding().Dll().Handle());
    library.Clear();
    std::string cmdLine, output;
    EXPECT_EQ(0, bare.Pack(nullptr, "b.tarc", TArchiverOptions(), "B", {}, false, cmdLine, output));
    EXPECT_EQ("Tarc|window=null|cmd=u B|output=null|size=0\n", library.Log());
}

TEST(ArchiverTest, ExtractStoresTheLineAndRunsItWithTheOutputLengthAsBufferSize) {
    TFullArchiver archiver;
    testdll::Client library = archiver.Library();
    library.Clear();
    library.Set("result", 5);
    TArchiverOptions options;
    std::string cmdLine;
    std::string output(40, '\0');
    EXPECT_EQ(5,
              archiver.Extract(nullptr, "C:\\a.tarc", options, "D:\\Out", {"a.txt"}, false, cmdLine, output));
    EXPECT_EQ("x \"C:\\a.tarc\" \"D:\\Out\\\" \"a.txt\" ", cmdLine);
    EXPECT_EQ(40u, output.size());
    EXPECT_STREQ(("tarc:" + cmdLine).c_str(), output.c_str());

    std::string none;
    archiver.Extract(nullptr, "C:\\a.tarc", options, "", {}, false, cmdLine, none);
    EXPECT_EQ(
        "Tarc|window=null|cmd=x \"C:\\a.tarc\" \"D:\\Out\\\" \"a.txt\" |output=set|size=40\n"
        "Tarc|window=null|cmd=x \"C:\\a.tarc\" |output=null|size=0\n",
        library.Log());
    library.Set("result", 0);
}

TEST(ArchiverTest, PackingOperationsGoThroughExecutePackAndExtractionDoesNot) {
    TPackingArchiver archiver;
    TArchiverOptions options;
    std::string cmdLine, output;
    archiver.Pack(nullptr, "p.tarc", options, "B", {}, false, cmdLine, output);
    EXPECT_EQ("u B", cmdLine);
    archiver.Delete(nullptr, "p.tarc", options, "B", {}, false, cmdLine, output);
    archiver.Update(nullptr, "p.tarc", options, "B", {}, false, cmdLine, output);
    archiver.MakeSfx(nullptr, "p.tarc", options, "O", cmdLine, output);
    EXPECT_EQ("s O", cmdLine);
    archiver.Extract(nullptr, "p.tarc", options, "D", {}, false, cmdLine, output);
    EXPECT_EQ("x", cmdLine);
    EXPECT_EQ("p.tarc|u B\np.tarc|d\np.tarc|f\np.tarc|s O\n", archiver.Routing().Packed);
    testdll::Client library(archiver.Routing().Handle());
    EXPECT_NE(std::string::npos, library.Log().find("cmd=x|"));

    library.Clear();
    char buffer[16] = {};
    DWORD written = 0;
    EXPECT_EQ(0, archiver.ExtractMem(nullptr, "p.tarc", options, "e.txt", buffer, sizeof buffer, &written,
                                     cmdLine));
    EXPECT_EQ(" \"e.txt\"", cmdLine);
    EXPECT_EQ(6u, written);
    EXPECT_EQ("memory", std::string(buffer, written));
    EXPECT_EQ(
        "ExtractMem|window=null|cmd= \"e.txt\"|buffer=set|size=16|time=null|attributes=null|written=set\n",
        library.Log());

    library.Clear();
    archiver.CheckArchive("p.tarc", 16, 8);
    EXPECT_EQ("CheckArchive|p.tarc|mode=24\n", library.Log());
}

TEST(ArchiverTest, OpenArchiveExpandsTheNameAndListingGoesThroughTheBinding) {
    TempDir temp("archiver");
    ASSERT_TRUE(
        testdll::WriteArchive(temp / "list.tarc", {"one.txt|1|1|0|0|-|-|-", "two.txt|2|2|0|0|-|-|-"}));
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(temp.Path().c_str()));
    TFullArchiver archiver;
    archiver.Library().Clear();
    HARC h = archiver.OpenArchive(nullptr, "list.tarc", 0);
    ::SetCurrentDirectoryA(previous);
    ASSERT_NE(nullptr, h);
    TEntryRecord e;
    std::string names;
    for (int r = archiver.FindFirst(h, e, "*.*"); r == 0; r = archiver.FindNext(h, e))
        names += FieldText(e.FileName) + ";";
    EXPECT_EQ("one.txt;two.txt;", names);
    EXPECT_EQ(0, archiver.CloseArchive(h));
    std::string log = archiver.Library().Log();
    EXPECT_EQ(0u, log.find("OpenArchive|window=null|" + temp.Path() + "list.tarc|mode=0\nFindFirst|*.*\n"))
        << log;
}

TEST(ArchiverTest, OwnerWindowIsKeptEvenWhenTheLibraryCannotTakeIt) {
    HWND window = ::GetDesktopWindow();
    TFullArchiver full;
    EXPECT_FALSE(full.OwnerWindowSet());
    EXPECT_TRUE(full.SetOwnerWindow(window, nullptr));
    EXPECT_TRUE(full.OwnerWindowSet());
    EXPECT_EQ(window, full.OwnerWindow());
    EXPECT_TRUE(full.KillOwnerWindow(window));
    EXPECT_FALSE(full.OwnerWindowSet());

    TLeanArchiver lean;
    EXPECT_FALSE(lean.SetOwnerWindow(window, nullptr));
    EXPECT_TRUE(lean.OwnerWindowSet());
    EXPECT_FALSE(lean.KillOwnerWindow(window));
    EXPECT_FALSE(lean.OwnerWindowSet());
    EXPECT_EQ(0, lean.SetEnumMembersProc(nullptr, kEnumMemberInfoSize));
    EXPECT_NE(0, full.SetEnumMembersProc(nullptr, kEnumMemberInfoSize));
    EXPECT_NE(0, full.ClearEnumMembersProc());
}

TEST(ArchiverTest, FileListGoesInlineOrIntoTheResponseFileFollowedByTheUserFileList) {
    TempDir temp("archiver");
    TArchiverOptions options;
    options.UserFileList = "-extra";
    TStrings names = {"a.txt", "sub\\b.txt"};

    TCmdOpt inlineCmd;
    options.ResFileName = temp / "resp.txt";
    EXPECT_EQ(2, TFullArchiver::AddFileList(inlineCmd, options, {names}, false));
    EXPECT_EQ(" \"a.txt\" \"sub\\b.txt\" -extra", inlineCmd.CmdLine);
    EXPECT_FALSE(testing_support::Exists(options.ResFileName));

    TCmdOpt unsetCmd;
    options.ResFileName = kUnsetText;
    EXPECT_EQ(2, TFullArchiver::AddFileList(unsetCmd, options, {names}, true));
    EXPECT_EQ(" \"a.txt\" \"sub\\b.txt\" -extra", unsetCmd.CmdLine);

    TCmdOpt respCmd;
    options.ResFileName = temp / "resp.txt";
    EXPECT_EQ(2, TFullArchiver::AddFileList(respCmd, options, {names}, true));
    EXPECT_EQ(" \"@" + options.ResFileName + "\" -extra", respCmd.CmdLine);
    EXPECT_EQ("\"a.txt\"\r\n\"sub\\b.txt\"\r\n", testing_support::ReadFileBytes(options.ResFileName));

    TCmdOpt dirCmd;
    TFullArchiver::AddArchiveAndDir(dirCmd, "C:\\a.lzh", "");
    TFullArchiver::AddArchiveAndDir(dirCmd, "C:\\b.lzh", "C:\\Base");
    EXPECT_EQ(" \"C:\\a.lzh\" \"C:\\b.lzh\" \"C:\\Base\\\"", dirCmd.CmdLine);
}
