#include "install/DownloadOutcome.h"
#include "install/RemovalRetry.h"

#include <gtest/gtest.h>

namespace {

TEST(DecideDownloadOutcome, AbortWinsOverEverything) {
    std::string error;
    EXPECT_FALSE(DecideDownloadOutcome(1, 0, "", error));
    EXPECT_EQ(kDownloadAbortedText, error);
    error.clear();
    EXPECT_FALSE(DecideDownloadOutcome(1, 1, "worker text", error));
    EXPECT_EQ(kDownloadAbortedText, error);
}

TEST(DecideDownloadOutcome, FailureGivesTheWorkersTextAndSuccessLeavesErrorAlone) {
    std::string error = "before";
    EXPECT_FALSE(DecideDownloadOutcome(0, 1, "worker text", error));
    EXPECT_EQ("worker text", error);
    error = "before";
    EXPECT_TRUE(DecideDownloadOutcome(0, 0, "stale", error));
    EXPECT_EQ("before", error);
}

struct FakeFile {
    explicit FakeFile(int n) : presentForRemovals(n) {}
    int presentForRemovals; // the file disappears after this many removals; -1 never
    int removals = 0;
    int pauses = 0;
    std::string trace;
    bool Exists() {
        trace += 'e';
        return presentForRemovals < 0 || removals < presentForRemovals;
    }
};

int RemoveAll(FakeFile& f) {
    return RemoveWithRetries([&] { return f.Exists(); },
                             [&] {
                                 f.trace += 'r';
                                 ++f.removals;
                             },
                             [&] {
                                 f.trace += 'p';
                                 ++f.pauses;
                             });
}

TEST(RemoveWithRetries, AGoneFileIsNotTouched) {
    FakeFile f{0};
    EXPECT_EQ(0, RemoveAll(f));
    EXPECT_EQ("e", f.trace);
}

TEST(RemoveWithRetries, EveryRemovalIsFollowedByAPauseBeforeTheNextCheck) {
    FakeFile f{2};
    EXPECT_EQ(2, RemoveAll(f));
    EXPECT_EQ("erperpe", f.trace);
}

TEST(RemoveWithRetries, ALockedFileGetsFourRemovalsAndStays) {
    FakeFile f{-1};
    EXPECT_EQ(4, RemoveAll(f));
    EXPECT_EQ(4, f.pauses);
    EXPECT_EQ("erperperperp", f.trace);
}

} // namespace
