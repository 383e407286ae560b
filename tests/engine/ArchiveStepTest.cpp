#include "ArchiveStep.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace ostra;

TEST(ArchiveStep, ShortAndLongArchiveNames) {
    SYSTEMTIME t{};
    t.wYear = 2005;
    t.wMonth = 3;
    t.wDay = 2;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 59;
    EXPECT_EQ(ArchiveName(t, false), "2005_0302_0905.lzh");
    EXPECT_EQ(ArchiveName(t, true), "2005年03月02日09時05分.lzh");
    t.wHour = 23;
    t.wMinute = 0;
    EXPECT_EQ(ArchiveName(t, false), "2005_0302_2300.lzh");
}
