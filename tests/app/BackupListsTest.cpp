// How the folder settings group reads and writes a backfol.ini line, and what it refuses; no
// window needed.
#include <gtest/gtest.h>

#include "BackupLists.h"

using namespace ostra;

namespace {

TEST(BackupLists, AFolderLineIsReadFieldByFieldAndTheFlagAsARunReadsIt) {
    TFolderSettings s = ReadFolderSettings("C:\\Data");
    EXPECT_EQ(s.Path, "C:\\Data");
    EXPECT_EQ(s.Title, "");
    EXPECT_EQ(s.Filter, "");
    EXPECT_FALSE(s.Subfolders);
    EXPECT_FALSE(s.OlderForm);
    s = ReadFolderSettings("C:\\Data,Data,*.txt *.doc, 1 ");  // a run takes the blanks away too
    EXPECT_EQ(s.Filter, "*.txt *.doc");
    EXPECT_TRUE(s.Subfolders);
    // The earlier layout, and a four-field line that only looks like it.
    s = ReadFolderSettings("C:\\表\\data\\,*.txt,1");
    EXPECT_TRUE(s.OlderForm);
    EXPECT_EQ(s.Title, "data");
    EXPECT_EQ(s.Filter, "*.txt");
    EXPECT_TRUE(s.Subfolders);
    s = ReadFolderSettings("C:\\data,data,0,1");
    EXPECT_FALSE(s.OlderForm);
    EXPECT_EQ(s.Filter, "0");
}

TEST(BackupLists, NewEntriesAndWhatBackfolIniCannotHold) {
    EXPECT_EQ(NewFolderEntry("C:\\"), "C:\\,,*.*,0");
    EXPECT_EQ(NewFolderEntry("D:\\メール"), "D:\\メール,メール,*.*,0");
    EXPECT_EQ(FolderEntryLine("C:\\x", "t", "*.a;*.b", true), "C:\\x,t,*.a;*.b,1");
    EXPECT_EQ(FolderPathRefusal("C:\\Data"), "");
    EXPECT_NE(FolderPathRefusal("C:\\a,b"), "");
    EXPECT_EQ(FolderSettingsRefusal("Mail", "*.eml;*.txt"), "");
    EXPECT_NE(FolderSettingsRefusal("Mail", "*.eml,*.txt"), "");
    EXPECT_NE(FolderSettingsRefusal("a,b", ""), "");
}

}  // namespace
