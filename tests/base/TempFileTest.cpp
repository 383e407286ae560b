#include "TempFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "FileSystem.h"
#include "TestSupport.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(TempFile, GoesWhateverItsAttributesUnlessKeptOrMoved) {
    TempDir dir;
    {
        TTempFile temp(dir / "a.tmp");
        ASSERT_TRUE(WriteFileBytes(temp.Path(), "a"));
        ASSERT_TRUE(SetFileAttributesA(temp.Path().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    }
    EXPECT_FALSE(Exists(dir / "a.tmp"));
    {
        TTempFile kept(dir / "k.tmp");
        ASSERT_TRUE(WriteFileBytes(kept.Path(), "k"));
        kept.Keep();
    }
    EXPECT_EQ(ReadFileBytes(dir / "k.tmp"), "k");
    {
        ASSERT_TRUE(WriteFileBytes(dir / "target", "old"));
        TTempFile moved(dir / "m.tmp");
        ASSERT_TRUE(WriteFileBytes(moved.Path(), "new"));
        EXPECT_TRUE(moved.MoveTo(dir / "target"));
    }
    EXPECT_EQ(ReadFileBytes(dir / "target"), "new");
    {
        // A move that fails (the target is a folder) leaves the file ours: it goes.
        ASSERT_TRUE(CreateDirectoryA((dir / "folder").c_str(), nullptr));
        TTempFile refused(dir / "r.tmp");
        ASSERT_TRUE(WriteFileBytes(refused.Path(), "r"));
        EXPECT_FALSE(refused.MoveTo(dir / "folder"));
    }
    EXPECT_FALSE(Exists(dir / "r.tmp"));
    EXPECT_TRUE(DirectoryExists(dir / "folder"));
}

TEST(TempFile, AListRemovesEveryFileItNames) {
    TempDir dir;
    {
        TTempFileList list;
        for (const char* name : {"s1", "s2"}) {
            ASSERT_TRUE(WriteFileBytes(dir / name, name));
            list.Paths.push_back(dir / name);
        }
        SetFileAttributesA((dir / "s2").c_str(), FILE_ATTRIBUTE_READONLY);
        list.Paths.push_back(dir / "never-made");
    }
    EXPECT_FALSE(Exists(dir / "s1"));
    EXPECT_FALSE(Exists(dir / "s2"));
}

TEST(FileSystem, AtomicWriteLeavesTheOldFileWhenItCannotFinish) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "list.ini", "old"));
    ASSERT_TRUE(WriteFileAtomically(dir / "list.ini", "new"));
    EXPECT_EQ(ReadFileBytes(dir / "list.ini"), "new");
    EXPECT_FALSE(Exists(dir / "list.ini.~tmp"));
    // The target cannot be replaced (a folder of that name): nothing of the attempt stays.
    ASSERT_TRUE(CreateDirectoryA((dir / "busy.ini").c_str(), nullptr));
    EXPECT_FALSE(WriteFileAtomically(dir / "busy.ini", "data"));
    EXPECT_FALSE(Exists(dir / "busy.ini.~tmp"));
    EXPECT_TRUE(DirectoryExists(dir / "busy.ini"));
}
