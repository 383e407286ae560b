// The BGA back-end: its switches, the response file of its self-extractor line, and its probe,
// against the test library built as BGA32.DLL.
#include <gtest/gtest.h>

#include "BGA32.h"
#include "BackendTestSupport.h"

using namespace arc;
using testing_support::TempDir;

namespace {

class BgaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TBGA32::FreeDLL();
        ASSERT_TRUE(backend_test::SearchLibrariesIn(testdll::FormatsDir()));
    }
    void TearDown() override {
        TBGA32::FreeDLL();
        ::SetDllDirectoryA(nullptr);
    }
    TempDir temp{"bga32"};
};

}  // namespace

TEST_F(BgaTest, CopiesWithNUnlessCIsSetAndEverySwitchInOrder) {
    TBGA32 bga;
    TArchiverOptions o;
    EXPECT_EQ("a -n -j  \"C:\\a.gza\" \"C:\\B\\\" \"x\" ",
              bga.PackCommand(nullptr, "C:\\a.gza", o, "C:\\B", {"x"}, false));
    o.c = 1;
    EXPECT_EQ("x -o -j  \"C:\\a.gza\" ", bga.ExtractCommand(nullptr, "C:\\a.gza", o, "", {}, false));
    o.a = 1, o.n = 1, o.r = 1, o.x = 1, o.jm = 3;
    EXPECT_EQ("d -a -o -i -r -l3  \"C:\\a.gza\" \"x\" ",
              bga.DeleteCommand(nullptr, "C:\\a.gza", o, "C:\\B", {"x"}, false));
}

TEST_F(BgaTest, SelfExtractorLineWritesAnEmptyResponseFileWhenRemovalUsesOne) {
    TBGA32 bga;
    TArchiverOptions o;
    o.ResFileName = temp / "resp.txt";
    o.ResFileUsage = {TResFileUse::ruOnRemoveItem};
    EXPECT_EQ("s -n -j  \"C:\\a.gza\" \"C:\\Out\\\" \"@" + o.ResFileName + "\" ",
              bga.SfxCommand(nullptr, "C:\\a.gza", o, "C:\\Out"));
    EXPECT_TRUE(testing_support::Exists(o.ResFileName));
    EXPECT_EQ("", testing_support::ReadFileBytes(o.ResFileName));

    // Packing takes the caller's flag, not ResFileUsage.
    EXPECT_EQ("a -n -j  \"C:\\a.gza\" \"x\" ", bga.PackCommand(nullptr, "C:\\a.gza", o, "", {"x"}, false));
    o.ResFileUsage = {};
    EXPECT_EQ("s -n -j  \"C:\\a.gza\" ", bga.SfxCommand(nullptr, "C:\\a.gza", o, ""));
}

TEST_F(BgaTest, ProbeAsksNothingForAMissingFile) {
    ASSERT_TRUE(testdll::WriteArchive(temp / "a.gza", {}));
    TBGA32 bga;
    testdll::Client library = backend_test::LibraryOf(bga.Dll());
    library.Clear();
    EXPECT_FALSE(IsBgaArchive(temp / "missing.gza"));
    EXPECT_EQ("", library.Log());
    EXPECT_TRUE(IsBgaArchive(temp / "a.gza"));
    EXPECT_EQ("OpenArchive|window=null|" + temp.Path() + "a.gza|mode=8388610\nCloseArchive|set\n",
              library.Log());
}
