#include "FileSystem.h"

#include <gtest/gtest.h>

using namespace ostra;

TEST(FileSystem, AbsolutePathsAndInsideFolders) {
    EXPECT_TRUE(IsAbsolutePath("C:\\Backup"));
    EXPECT_TRUE(IsAbsolutePath("\\\\server\\share\\b"));
    EXPECT_FALSE(IsAbsolutePath("Backup\\"));
    EXPECT_FALSE(IsAbsolutePath("C:Backup"));
    EXPECT_FALSE(IsAbsolutePath("\\Backup"));
    EXPECT_FALSE(IsAbsolutePath(""));

    EXPECT_TRUE(IsInsideFolder("C:\\Backup\\a.txt", "c:\\backup\\"));
    EXPECT_TRUE(IsInsideFolder("C:\\Backup", "C:\\Backup\\"));
    EXPECT_FALSE(IsInsideFolder("C:\\Backup2\\a.txt", "C:\\Backup"));
    EXPECT_TRUE(IsInsideFolder("C:\\表\\a", "C:\\表"));
}

TEST(FileSystem, OnlyLinkTagsKeepAFolderOut) {
    WIN32_FIND_DATAA fd{};
    fd.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_FALSE(IsLinkToElsewhere(fd));
    fd.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    // Links, and tags of unknown kind (Wine reports no tag at all: stray bits).
    for (DWORD link : {DWORD(IO_REPARSE_TAG_MOUNT_POINT), DWORD(IO_REPARSE_TAG_SYMLINK), DWORD(0), 0x11ul}) {
        fd.dwReserved0 = link;
        EXPECT_TRUE(IsLinkToElsewhere(fd)) << std::hex << link;
    }
    // A cloud-file placeholder folder (OneDrive) and a deduplicated one hold their own files.
    for (DWORD own : {0x9000001Aul, 0x9000701Aul, 0x80000013ul}) {
        fd.dwReserved0 = own;
        EXPECT_FALSE(IsLinkToElsewhere(fd)) << std::hex << own;
    }
}
