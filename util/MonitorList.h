// The display monitors as the system enumerates them.
#pragma once

#include <windows.h>

#include <vector>

class CMonitorList {
public:
    CMonitorList() { Refresh(); }
    virtual ~CMonitorList() = default;

    // Lists the monitors anew.
    void Refresh();

    int GetCount() const { return static_cast<int>(m_records.size()); }
    // Null for an index outside 0 .. count - 1.
    const MONITORINFOEXA* GetAt(int index) const;
    // The first record whose flags are exactly MONITORINFOF_PRIMARY; null when none is.
    const MONITORINFOEXA* FindPrimary() const;

    // Enumeration callback: appends the monitor's record to the list passed as data.
    static BOOL CALLBACK EnumMonitorProc(HMONITOR monitor, HDC dc, LPRECT clip, LPARAM data);

protected:
    std::vector<MONITORINFOEXA>& Records() { return m_records; }

private:
    std::vector<MONITORINFOEXA> m_records;
};
