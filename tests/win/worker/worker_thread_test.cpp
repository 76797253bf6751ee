#include "worker/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

class CCountingWorker : public CWorkerThread {
public:
    ~CCountingWorker() override { Stop(false); }

    std::atomic<int> starts{0}, steps{0}, ends{0};
    std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};
    int stepsBeforeFalse = -1; // -1: keep going
    bool throwInStep = false;

protected:
    void OnThreadStart() override {
        priority = ::GetThreadPriority(::GetCurrentThread());
        ++starts;
    }
    bool OnThreadStep() override {
        int n = ++steps;
        if (throwInStep)
            throw std::runtime_error("step failed");
        return stepsBeforeFalse < 0 || n < stepsBeforeFalse;
    }
    void OnThreadEnd() override { ++ends; }
};

bool WaitFor(const std::atomic<int>& value, int atLeast, DWORD timeoutMs = 10000) {
    for (DWORD waited = 0; value < atLeast; waited += 10) {
        if (waited >= timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

TEST(WorkerThread, AStopRightAfterStartStillRunsOnePass) {
    CCountingWorker w;
    ASSERT_TRUE(w.Start(false, 50, THREAD_PRIORITY_NORMAL));
    w.Stop(false);
    EXPECT_EQ(1, w.starts);
    EXPECT_EQ(1, w.steps);
    EXPECT_EQ(1, w.ends);
}

TEST(WorkerThread, RunsAtTheGivenPriority) {
    CCountingWorker w;
    ASSERT_TRUE(w.Start(false, 50, THREAD_PRIORITY_ABOVE_NORMAL));
    ASSERT_TRUE(WaitFor(w.starts, 1));
    w.Stop(false);
    EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, w.priority);
}

TEST(WorkerThread, APausedStartRunsNoStepUntilResumed) {
    CCountingWorker w;
    ASSERT_TRUE(w.Start(true, 20, THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(w.IsPaused());
    ::Sleep(300);
    EXPECT_EQ(0, w.starts);
    EXPECT_EQ(0, w.steps);
    w.SetPause(false);
    EXPECT_FALSE(w.IsPaused());
    EXPECT_TRUE(WaitFor(w.steps, 2));
    EXPECT_EQ(1, w.starts);

    // Paused again, the loop keeps waiting without stepping.
    w.SetPause(true);
    ::Sleep(100);
    int steps = w.steps;
    ::Sleep(300);
    EXPECT_EQ(steps, w.steps);
    w.Stop(false);
    EXPECT_EQ(1, w.ends);
}

TEST(WorkerThread, AStopWhilePausedStillEnds) {
    CCountingWorker w;
    ASSERT_TRUE(w.Start(true, 20, THREAD_PRIORITY_NORMAL));
    ::Sleep(100);
    w.Stop(false);
    EXPECT_EQ(0, w.starts);
    EXPECT_EQ(0, w.steps);
    EXPECT_EQ(1, w.ends);
}

TEST(WorkerThread, StartIsRefusedUntilTheThreadObjectIsReleased) {
    CCountingWorker w;
    w.stepsBeforeFalse = 1;
    ASSERT_TRUE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    EXPECT_FALSE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    // The loop ends by itself; the thread object is still held.
    ASSERT_TRUE(WaitFor(w.ends, 1));
    EXPECT_FALSE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    w.Stop(false);
    EXPECT_EQ(1, w.starts);

    // Idle again: a fresh start runs a fresh thread, with the pause from before cleared.
    w.SetPause(true);
    ASSERT_TRUE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    w.Stop(false);
    EXPECT_EQ(2, w.starts);
    EXPECT_EQ(2, w.ends);
}

TEST(WorkerThread, StopIsHarmlessWhenNothingRuns) {
    CCountingWorker w;
    w.Stop(false);
    w.Stop(true);
    ASSERT_TRUE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    w.Stop(false);
    w.Stop(false);
    EXPECT_EQ(1, w.ends);
}

TEST(WorkerThread, StopWithoutWaitingKeepsTheThreadUntilAWaitingStop) {
    CCountingWorker w;
    ASSERT_TRUE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    w.Stop(true);
    ASSERT_TRUE(WaitFor(w.ends, 1));
    EXPECT_FALSE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    w.Stop(false);
    EXPECT_TRUE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
}

TEST(WorkerThread, AThrowingStepEndsTheLoopAndTheEndStillRuns) {
    CCountingWorker w;
    w.throwInStep = true;
    ASSERT_TRUE(w.Start(false, 20, THREAD_PRIORITY_NORMAL));
    ASSERT_TRUE(WaitFor(w.ends, 1));
    w.Stop(false);
    EXPECT_EQ(1, w.steps);
}

} // namespace
