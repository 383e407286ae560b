#include "FileTimes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"

using namespace ostra;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(FileTimes, LocalDosTimesAndFileTimesConvertBothWays) {
    // 2005-03-02 09:05:58 local time, against the system's own conversion of that moment.
    SYSTEMTIME st{};
    st.wYear = 2005;
    st.wMonth = 3;
    st.wDay = 2;
    st.wHour = 9;
    st.wMinute = 5;
    st.wSecond = 58;
    FILETIME local, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    const uint16_t date = (25 << 9) | (3 << 5) | 2, time = (9 << 11) | (5 << 5) | 29;

    uint32_t dos = 0;
    ASSERT_TRUE(FileTimeToLocalDos(utc, dos));
    EXPECT_EQ(dos, (uint32_t(date) << 16) | time);
    FILETIME back{};
    ASSERT_TRUE(LocalDosToFileTime(date, time, back));
    EXPECT_EQ(FileTimeValue(back), FileTimeValue(utc));
    // Before 1980 there is no DOS form.
    FILETIME early{0, 0};
    EXPECT_FALSE(FileTimeToLocalDos(early, dos));
}

TEST(FileTimes, WriteTimeOfFilesOnly) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "a.txt", "a"));
    ASSERT_TRUE(testing_support::SetLocalWriteTime(dir / "a.txt", 2010, 1, 2, 3, 4, 6));
    FILETIME t{};
    ASSERT_TRUE(FileWriteTime(dir / "a.txt", t));
    EXPECT_EQ(FileTimeValue(t), testing_support::WriteTime(dir / "a.txt"));
    EXPECT_FALSE(FileWriteTime(dir.Path(), t));
    EXPECT_FALSE(FileWriteTime(dir / "missing", t));
}
