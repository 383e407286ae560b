// The file-open dialog: the names it hands back, and a cancel.
#include <gtest/gtest.h>
#include <windows.h>

#include "FileDialog.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

using namespace std::string_literals;
using widgets::OpenDialogPaths;

namespace {

std::vector<std::string> Paths(const std::string& buffer) {
    return OpenDialogPaths(buffer.data(), buffer.size());
}

TEST(FileDialog, OneFileIsItsPathAndSeveralAreTheirFolderAndNames) {
    EXPECT_EQ(Paths("C:\\Data\\memo.txt\0\0"s), (std::vector<std::string>{"C:\\Data\\memo.txt"}));
    EXPECT_EQ(Paths("C:\\表\0b.txt\0a.txt\0\0"s),
              (std::vector<std::string>{"C:\\表\\b.txt", "C:\\表\\a.txt"}));
    // A drive root comes with its backslash; a folder ending in a trail byte 0x5C is no root.
    EXPECT_EQ(Paths("C:\\\0a\0\0"s), (std::vector<std::string>{"C:\\a"}));
    EXPECT_EQ(Paths("C:\\ソ\0a\0\0"s), (std::vector<std::string>{"C:\\ソ\\a"}));
    EXPECT_TRUE(Paths("\0\0"s).empty());
}

TEST(FileDialog, CancelGivesNoFiles) {
    ASSERT_TRUE(testing_support::HasTestDisplay());
    testing_support::BoxWatchdog cancel(IDCANCEL);
    const auto chosen = widgets::ChooseFilesToOpen(nullptr, {"すべてのファイル|*.*", "C:\\", true});
    cancel.Stop();
    EXPECT_EQ(cancel.Boxes().size(), 1u);
    EXPECT_TRUE(chosen.empty());
}

}  // namespace
