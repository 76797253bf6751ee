#include "util/MonitorList.h"

#include <new>

void CMonitorList::Refresh() {
    m_records.clear();
    ::EnumDisplayMonitors(nullptr, nullptr, &CMonitorList::EnumMonitorProc, reinterpret_cast<LPARAM>(this));
}

const MONITORINFOEXA* CMonitorList::GetAt(int index) const {
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &m_records[static_cast<size_t>(index)];
}

const MONITORINFOEXA* CMonitorList::FindPrimary() const {
    for (const MONITORINFOEXA& record : m_records) {
        if (record.dwFlags == MONITORINFOF_PRIMARY)
            return &record;
    }
    return nullptr;
}

BOOL CALLBACK CMonitorList::EnumMonitorProc(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* list = reinterpret_cast<CMonitorList*>(data);
    if (list == nullptr)
        return FALSE;
    // A failed query leaves the record zero apart from its size.
    MONITORINFOEXA info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(monitor, &info);
    try {
        list->m_records.push_back(info);
    } catch (const std::bad_alloc&) {
        return FALSE; // nothing may leave a system callback
    }
    return TRUE;
}
