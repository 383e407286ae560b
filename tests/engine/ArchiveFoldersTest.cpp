#include "ArchiveFolders.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

using namespace ostra;
using testing_support::Exists;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(ArchiveFolders, CheckRefusesTheBaseFolderAndBelowIgnoringCase) {
    TempDir dir;
    const std::string base = dir / "Backup\\";
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((base + "Arc").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir / "Backup2").c_str(), nullptr));

    try {
        CheckArchiveFolder(base, base + "Arc\\");
        FAIL() << "archive folder below the base folder was accepted";
    } catch (const std::runtime_error& e) {
        const std::string expected =
            "圧縮先フォルダが基準フォルダと同フォルダ、もしくは下位フォルダになっています\r\n"
            "    基準フォルダ = " +
            base +
            "\r\n"
            "    圧縮先フォルダ = " +
            base +
            "Arc\\\r\n"
            "圧縮は、基準フォルダ以下のファイルをすべて圧縮します\r\n"
            "また、設定により、圧縮後基準フォルダ以下のフォルダを削除することがあります\r\n"
            "圧縮先フォルダは基準フォルダと独立したフォルダを指定してください";
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_THROW(CheckArchiveFolder(base, base), std::runtime_error);
    EXPECT_NO_THROW(CheckArchiveFolder(base, dir / "Backup2\\"));
    // Letter case is ignored; without its backslash the base folder also refuses Backup2 (a plain
    // substring test).
    std::string upper = base;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_THROW(CheckArchiveFolder(upper, base + "arc\\"), std::runtime_error);
    EXPECT_THROW(CheckArchiveFolder(dir / "Backup", dir / "Backup2\\"), std::runtime_error);
    // A missing folder: no test at all.
    EXPECT_NO_THROW(CheckArchiveFolder(base, base + "Missing\\"));
}

TEST(ArchiveFolders, RootFolders) {
    EXPECT_TRUE(IsRootFolder("C:\\"));
    EXPECT_TRUE(IsRootFolder("C:"));
    EXPECT_TRUE(IsRootFolder("\\\\server\\share\\"));
    EXPECT_FALSE(IsRootFolder("C:\\Backup\\"));
    EXPECT_FALSE(IsRootFolder("\\\\server\\share\\sub"));
}

// The emptying of the base folder (DeleteBaseFolder) is tested by both its ways in
// FolderEmptyingTest.cpp.
