// Telling the format by content: every probe runs and the last that accepts wins, so for a file
// that several formats' libraries take the order is LHA, CAB, YZ1, BGA, ZIP, ARJ, RAR, then the
// tar type. And every format's back-end loads its own library.
#include <gtest/gtest.h>

#include "ARJ32.h"
#include "Archives.h"
#include "BGA32.h"
#include "BackendTestSupport.h"
#include "CAB32.h"
#include "LHA32.h"
#include "RAR32.h"
#include "SZIP32.h"
#include "TAR32.h"
#include "YZ132.h"
#include "ZIP32.h"

using namespace arc;
using testing_support::TempDir;

namespace {

void FreeAll() {
    for (void (*free)() :
         {&TLha32::FreeDLL, &TArj32::FreeDLL, &TZip32::FreeDLL, &TCab32::FreeDLL, &TRar32::FreeDLL,
          &TBGA32::FreeDLL, &TTar32::FreeDLL, &TYZ1::FreeDLL, &TSevenZip32::FreeDLL})
        free();
}

class FormatDetectionTest : public ::testing::Test {
  protected:
    void SetUp() override { FreeAll(); }
    void TearDown() override {
        FreeAll();
        Libs.reset();
    }
    TempDir temp{"detect"};
    std::optional<backend_test::LibraryFolder> Libs;
};

}  // namespace

TEST_F(FormatDetectionTest, TheLastProbeThatAcceptsWins) {
    Libs.emplace(std::initializer_list<std::string>{"UNLHA32.DLL", "CAB32.DLL", "YZ1.DLL", "BGA32.DLL",
                                                    "UNZIP32.DLL", "UNARJ32J.DLL", "UNRAR32.DLL", "TAR32.DLL",
                                                    "7-zip32.dll"});
    ASSERT_TRUE(Libs->Ready());
    const struct {
        const char* accepting;
        TArchiverType type;
    } cases[] = {
        {"UNLHA32,CAB32,YZ1,BGA32,UNZIP32,UNARJ32J,UNRAR32,TAR32", TArchiverType::atLha},
        {"CAB32,YZ1,BGA32,UNZIP32,UNARJ32J,UNRAR32,TAR32", TArchiverType::atCab},
        {"YZ1,BGA32,UNZIP32,UNARJ32J,UNRAR32,TAR32", TArchiverType::atYz1},
        {"BGA32,UNZIP32,UNARJ32J,UNRAR32,TAR32", TArchiverType::atBga},
        {"UNZIP32,UNARJ32J,UNRAR32,TAR32", TArchiverType::atZip},
        {"UNARJ32J,UNRAR32,TAR32", TArchiverType::atArj},
        {"UNRAR32,TAR32", TArchiverType::atRar},
        {"TAR32", TArchiverType::atTar},
        {"UNLHA32,TAR32", TArchiverType::atLha},
        {"NOBODY", TArchiverType::atNone},
    };
    const std::string file = temp / "x.exe";
    for (const auto& c : cases) {
        ASSERT_TRUE(testdll::WriteArchive(file, {}, std::string(" only=") + c.accepting));
        EXPECT_EQ(c.type, TArchiveFile::DetectArchiveType(file, true)) << c.accepting;
        EXPECT_EQ(c.type, TArchiveFile::DetectArchiveType(file, false)) << c.accepting;
    }
    for (auto [code, type] : {std::pair{2, TArchiverType::atTgz}, std::pair{6, TArchiverType::atBZ2}}) {
        ASSERT_TRUE(testdll::WriteArchive(file, {}, " only=TAR32 type=" + std::to_string(code)));
        EXPECT_EQ(type, TArchiveFile::DetectArchiveType(file, false)) << code;
    }

    // The name of a self-extractor chooses the back-end of what is inside.
    ASSERT_TRUE(testdll::WriteArchive(file, {}, " only=BGA32,UNRAR32"));
    TArchiveFile archive;
    archive.SetFileName(file);
    EXPECT_EQ(TArchiverType::atBga, archive.ArchiverType());
    EXPECT_NE(nullptr, dynamic_cast<TBGA32*>(archive.Archiver()));
}

TEST_F(FormatDetectionTest, EveryFormatsBackEndLoadsItsOwnLibraryAgainWhenItPacks) {
    Libs.emplace(std::initializer_list<std::string>{"UNLHA32.DLL", "CAB32.DLL", "YZ1.DLL", "BGA32.DLL",
                                                    "UNZIP32.DLL", "UNARJ32J.DLL", "UNRAR32.DLL", "TAR32.DLL",
                                                    "7-zip32.dll"});
    ASSERT_TRUE(Libs->Ready());
    const struct {
        const char* name;
        void (*free)();
        const char* library;
    } formats[] = {
        {"a.lzh", &TLha32::FreeDLL, "UNLHA32.DLL"},     {"a.zip", &TZip32::FreeDLL, "UNZIP32.DLL"},
        {"a.cab", &TCab32::FreeDLL, "CAB32.DLL"},       {"a.arj", &TArj32::FreeDLL, "UNARJ32J.DLL"},
        {"a.tar", &TTar32::FreeDLL, "TAR32.DLL"},       {"a.tgz", &TTar32::FreeDLL, "TAR32.DLL"},
        {"a.bz2", &TTar32::FreeDLL, "TAR32.DLL"},       {"a.rar", &TRar32::FreeDLL, "UNRAR32.DLL"},
        {"a.gza", &TBGA32::FreeDLL, "BGA32.DLL"},       {"a.yz1", &TYZ1::FreeDLL, "YZ1.DLL"},
        {"a.7z", &TSevenZip32::FreeDLL, "7-zip32.dll"},
    };
    for (const auto& f : formats) {
        TArchiveFile archive;
        archive.SetFileName(temp / f.name);
        ASSERT_NE(nullptr, archive.Archiver()) << f.name;
        f.free();
        ASSERT_EQ(nullptr, ::GetModuleHandleA(f.library)) << f.name;
        archive.Archiver()->EnsureDLL();
        EXPECT_NE(nullptr, ::GetModuleHandleA(f.library)) << f.name;
        EXPECT_EQ(Libs->Path() + f.library, ModuleFileName(::GetModuleHandleA(f.library))) << f.name;
    }
}
