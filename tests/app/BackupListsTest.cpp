// How the folder settings group reads a backfol.ini line, and which texts it refuses; no window.
#include <gtest/gtest.h>

#include "BackupLists.h"

using namespace ostra;

TEST(BackupLists, AFolderLineIsReadFieldByFieldAndItsFlagAsARunReadsIt) {
    TFolderSettings s = ReadFolderSettings("C:\\Data");
    EXPECT_EQ(s.Title + s.Filter, "");
    EXPECT_FALSE(s.Subfolders || s.OlderForm);
    EXPECT_TRUE(ReadFolderSettings("C:\\Data,Data,*.txt, 1 ").Subfolders);  // a run trims the blanks
    // The earlier layout: the title from the folder, whose last backslash follows a trail byte 0x5C.
    s = ReadFolderSettings("C:\\表\\data\\,*.txt,1");
    EXPECT_TRUE(s.OlderForm);
    EXPECT_EQ(s.Title, "data");
    EXPECT_EQ(NewFolderEntry("D:\\ソ"), "D:\\ソ,ソ,*.*,0");
    EXPECT_EQ(FolderSettingsRefusal("Mail", "*.eml;*.txt"), "");
    EXPECT_NE(FolderSettingsRefusal("Mail", "*.eml,*.txt"), "");
}
