// What the window tells after a run, beyond the lines of its steps; no window needed.
#include "WindowRun.h"

#include <gtest/gtest.h>

using namespace ostra;

TEST(RunNotices, OldArchivesKeptBackAreToldAndASoundPruningIsNot) {
    TRunResult r;
    r.Outcome = TRunResult::roDone;
    r.ArchiveStep = TRunResult::asRan;
    r.Archive.Outcome = TArchiveResult::arCreated;
    r.Pruning = TRunResult::prDone;
    r.ArchivesRemoved = {"2005_0301_0905.lzh"};
    EXPECT_TRUE(RunNotices(r, "C:\\arc\\").empty());
    r.ArchivesNotRemoved.push_back({"2005_0228_0905.lzh", TFailReason::frInUse});
    EXPECT_EQ(RunNotices(r, "C:\\arc\\"), TStrings{"古い書庫 1 個を削除できませんでした"});
    r.ArchivesNotRemoved.clear();
    r.Pruning = TRunResult::prArchiveUnsound;
    EXPECT_EQ(RunNotices(r, "C:\\arc\\"),
              TStrings{"作成した書庫を読み戻せなかったため、古い書庫は削除しませんでした"});
}
