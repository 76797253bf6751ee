#include <gtest/gtest.h>

#include <windows.h>

#include "util/MonitorList.h"

namespace {

// Lets the tests shape the records the system would have reported.
class CShapedMonitorList : public CMonitorList {
public:
    using CMonitorList::Records;
};

} // namespace

TEST(MonitorList, OnePrimaryMonitor) {
    CMonitorList list;
    ASSERT_EQ(list.GetCount(), ::GetSystemMetrics(SM_CMONITORS));
    ASSERT_GE(list.GetCount(), 1);
    const MONITORINFOEXA* first = list.GetAt(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->cbSize, 72u);
    EXPECT_EQ(list.FindPrimary(), first);
    EXPECT_EQ(first->rcMonitor.right - first->rcMonitor.left, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(first->rcMonitor.bottom - first->rcMonitor.top, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_NE(first->szDevice[0], '\0');
}

TEST(MonitorList, IndexOutsideTheListIsNull) {
    CMonitorList list;
    EXPECT_EQ(list.GetAt(list.GetCount()), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
}

TEST(MonitorList, CallbackWithoutListStops) {
    EXPECT_FALSE(CMonitorList::EnumMonitorProc(nullptr, nullptr, nullptr, 0));
}

TEST(MonitorList, FailedQueryGivesAnEmptyRecordThatIsNotPrimary) {
    CMonitorList list;
    int before = list.GetCount();
    const MONITORINFOEXA* primary = list.FindPrimary();
    ASSERT_NE(primary, nullptr);
    RECT primaryWork = primary->rcWork;
    EXPECT_TRUE(CMonitorList::EnumMonitorProc(reinterpret_cast<HMONITOR>(0x7FFF0001), nullptr, nullptr,
                                              reinterpret_cast<LPARAM>(&list)));
    ASSERT_EQ(list.GetCount(), before + 1);
    const MONITORINFOEXA* added = list.GetAt(before);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->cbSize, 72u);
    EXPECT_EQ(added->dwFlags, 0u);
    EXPECT_EQ(added->rcWork.right, 0);
    EXPECT_EQ(added->szDevice[0], '\0');
    // The earlier records survived the growth.
    EXPECT_TRUE(EqualRect(&list.FindPrimary()->rcWork, &primaryWork));
    list.Refresh();
    EXPECT_EQ(list.GetCount(), before);
}

TEST(MonitorList, PrimaryMeansExactlyThePrimaryFlag) {
    CShapedMonitorList list;
    ASSERT_GE(list.GetCount(), 1);
    list.Records().resize(3, MONITORINFOEXA{});
    for (auto& r : list.Records())
        r.dwFlags = MONITORINFOF_PRIMARY | 2;
    EXPECT_EQ(list.FindPrimary(), nullptr);
    list.Records()[2].dwFlags = MONITORINFOF_PRIMARY;
    list.Records()[1].dwFlags = MONITORINFOF_PRIMARY;
    EXPECT_EQ(list.FindPrimary(), list.GetAt(1));
}
