#include "worker/MessagePump.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/win/worker/FakeInstallerSetup.h"
#include "worker/ProcessRunner.h"

namespace {

std::vector<UINT>* g_dispatched = nullptr;
const UINT kProgressMessage = ::RegisterWindowMessageA("CHttpAccess_InstDl_Message");

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const bool recorded = msg >= WM_APP || msg == WM_SYSCOMMAND || msg == WM_KEYDOWN || msg == WM_TIMER;
    if (g_dispatched && recorded)
        g_dispatched->push_back(msg);
    if (recorded)
        return 0;
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

class MessagePumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "PlmoPumpTest";
        ::RegisterClassA(&wc);
        wnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
        other = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ASSERT_TRUE(wnd && other);
        g_dispatched = &dispatched;
        Drain();
    }
    void TearDown() override {
        g_dispatched = nullptr;
        ::DestroyWindow(wnd);
        ::DestroyWindow(other);
        Drain();
    }
    static void Drain() {
        MSG m;
        while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    static bool FirstQueued(HWND filter, UINT& message) {
        MSG m;
        if (!::PeekMessageA(&m, filter, 0, 0, PM_NOREMOVE))
            return false;
        message = m.message;
        return true;
    }

    HWND wnd = nullptr, other = nullptr;
    std::vector<UINT> dispatched;
};

TEST_F(MessagePumpTest, DispatchesEverythingQueuedForTheFilter) {
    ::PostMessageA(wnd, WM_APP + 1, 0, 0);
    ::PostMessageA(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ::PostMessageA(wnd, WM_APP + 2, 0, 0);
    EXPECT_TRUE(PumpWaitMessages(wnd));
    EXPECT_EQ((std::vector<UINT>{WM_APP + 1, WM_SYSCOMMAND, WM_APP + 2}), dispatched);
}

TEST_F(MessagePumpTest, LeavesOtherWindowsMessagesToAnUnfilteredPass) {
    ::PostMessageA(other, WM_APP + 3, 0, 0);
    EXPECT_TRUE(PumpWaitMessages(wnd));
    EXPECT_TRUE(dispatched.empty());
    EXPECT_TRUE(PumpWaitMessages(nullptr));
    EXPECT_EQ(std::vector<UINT>{WM_APP + 3}, dispatched);
}

TEST_F(MessagePumpTest, TheFilterTakesInTheWindowsControls) {
    // The abort button is a child of the dialog: its messages must get through a dialog-filtered pass.
    HWND child = ::CreateWindowExA(0, "PlmoPumpTest", "", WS_CHILD, 0, 0, 5, 5, wnd, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, child);
    ::PostMessageA(child, WM_APP + 4, 0, 0);
    EXPECT_TRUE(PumpWaitMessages(wnd));
    EXPECT_EQ(std::vector<UINT>{WM_APP + 4}, dispatched);
    ::DestroyWindow(child);
}

TEST_F(MessagePumpTest, AClosingRequestFirstInTheQueueStopsEveryPass) {
    struct Case {
        UINT message;
        WPARAM wParam;
    };
    for (Case c : {Case{WM_CLOSE, 0}, Case{WM_DESTROY, 0}, Case{WM_SYSCOMMAND, SC_CLOSE},
                   Case{WM_SYSCOMMAND, SC_CLOSE | 0x2}}) {
        dispatched.clear();
        ::PostMessageA(wnd, c.message, c.wParam, 0);
        ::PostMessageA(wnd, WM_APP + 1, 0, 0);
        EXPECT_FALSE(PumpWaitMessages(wnd)) << c.message;
        EXPECT_FALSE(PumpWaitMessages(wnd)) << c.message;
        EXPECT_TRUE(dispatched.empty()) << c.message;
        UINT first = 0;
        ASSERT_TRUE(FirstQueued(wnd, first));
        EXPECT_EQ(c.message, first) << "the request stays queued for the dialog's own loop";
        Drain();
    }
}

TEST_F(MessagePumpTest, BehindAHeldCloseInputTimersAndProgressAreStillServed) {
    for (UINT close : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_SYSCOMMAND)}) {
        dispatched.clear();
        ::PostMessageA(wnd, close, close == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
        ::PostMessageA(wnd, WM_APP + 1, 0, 0);
        ::PostMessageA(wnd, kProgressMessage, 10, 100);
        ::PostMessageA(wnd, WM_KEYDOWN, VK_SPACE, 0);
        ::SetTimer(wnd, 1, 1, nullptr);
        ::Sleep(30);
        EXPECT_FALSE(PumpWaitMessages(wnd)) << close;
        ::KillTimer(wnd, 1);
        // A timer due every millisecond comes again and again, but neither crowds out the rest
        // nor keeps the pass going for ever.
        ASSERT_GE(dispatched.size(), 3u) << close;
        EXPECT_EQ((std::vector<UINT>{kProgressMessage, WM_KEYDOWN, WM_TIMER}),
                  std::vector<UINT>(dispatched.begin(), dispatched.begin() + 3))
            << close;
        EXPECT_LE(dispatched.size(), 64u) << close;
        UINT first = 0;
        ASSERT_TRUE(FirstQueued(wnd, first));
        EXPECT_EQ(close, first) << "the close stays first, for the dialog's own loop";
        MSG m;
        EXPECT_TRUE(::PeekMessageA(&m, wnd, WM_APP + 1, WM_APP + 1, PM_NOREMOVE)) << "other messages wait with it";
        Drain();
    }
}

TEST_F(MessagePumpTest, AQuitStopsAnUnfilteredPassAndStaysQueued) {
    // The system hands out a quit only once nothing else is queued.
    ::PostQuitMessage(0);
    ::PostMessageA(wnd, WM_APP + 1, 0, 0);
    EXPECT_FALSE(PumpWaitMessages(nullptr));
    EXPECT_FALSE(PumpWaitMessages(nullptr));
    EXPECT_EQ(std::vector<UINT>{WM_APP + 1}, dispatched);
    MSG m;
    EXPECT_TRUE(::PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(MessagePumpTest, MessagesQueuedBeforeTheCloseAreStillDispatched) {
    ::PostMessageA(wnd, WM_APP + 1, 0, 0);
    ::PostMessageA(wnd, WM_CLOSE, 0, 0);
    ::PostMessageA(wnd, WM_APP + 2, 0, 0);
    EXPECT_FALSE(PumpWaitMessages(wnd));
    EXPECT_EQ(std::vector<UINT>{WM_APP + 1}, dispatched);
}

class WaitPumpTest : public MessagePumpTest {
protected:
    CTestFolder folder{"waitpump"};
};

TEST_F(WaitPumpTest, AWaitWithPumpFlag1ServesMessagesButNotTheClose) {
    const std::string exe = PlaceFakeInstaller(folder, "setup.exe", "WaitMs=400\r\nWindow=0\r\n");
    ASSERT_FALSE(exe.empty());
    ::PostMessageA(wnd, WM_CLOSE, 0, 0);
    ::PostMessageA(wnd, WM_APP + 1, 0, 0);
    ::PostMessageA(other, WM_APP + 2, 0, 0);
    CProcessRunner runner;
    DWORD code = 99;
    ASSERT_TRUE(runner.RunAndWait(exe, "", SW_SHOWNORMAL, nullptr, &code, 1, other));
    EXPECT_EQ(0u, code);
    // The filter window's message was served; the close (and what waits behind it) was not.
    EXPECT_EQ(std::vector<UINT>{WM_APP + 2}, dispatched);
    UINT first = 0;
    ASSERT_TRUE(FirstQueued(wnd, first));
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), first);
}

TEST_F(WaitPumpTest, AWaitWithAnotherPumpFlagDispatchesNothing) {
    const std::string exe = PlaceFakeInstaller(folder, "setup.exe", "WaitMs=300\r\nWindow=0\r\n");
    ASSERT_FALSE(exe.empty());
    ::PostMessageA(wnd, WM_APP + 1, 0, 0);
    CProcessRunner runner;
    ASSERT_TRUE(runner.RunAndWait(exe, "", SW_SHOWNORMAL, nullptr, nullptr, 0, nullptr));
    EXPECT_TRUE(dispatched.empty());
    UINT first = 0;
    ASSERT_TRUE(FirstQueued(wnd, first));
    EXPECT_EQ(static_cast<UINT>(WM_APP + 1), first);
}

} // namespace

TEST_F(MessagePumpTest, APauseKeepsDispatchingAndLastsItsWholeLength) {
    const HWND target = wnd;
    std::thread poster([target] {
        ::Sleep(200);
        ::PostMessageA(target, WM_APP + 7, 0, 0);
    });
    const DWORD start = ::GetTickCount();
    PumpingPause(1000, nullptr);
    const DWORD took = ::GetTickCount() - start;
    poster.join();
    EXPECT_EQ(std::vector<UINT>{WM_APP + 7}, dispatched);
    // The next installer must not start within a second of the removal; one tick of slack.
    EXPECT_GE(took, 1000u - 16u);
}
