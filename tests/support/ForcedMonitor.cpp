#include "support/ForcedMonitor.h"

namespace
{
const HMONITOR kForcedHandle = reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(0x5E5E0001));
RECT s_rcForced;

BOOL WINAPI ForcedGetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO pInfo)
{
    if (hMonitor != kForcedHandle || pInfo == nullptr || pInfo->cbSize < sizeof(MONITORINFO))
        return FALSE;
    pInfo->rcMonitor = s_rcForced;
    pInfo->rcWork = s_rcForced;
    pInfo->dwFlags = 0;
    return TRUE;
}
}

ForcedMonitor::ForcedMonitor(const RECT& rcMonitor) : m_saved(g_monitorFunctions)
{
    s_rcForced = rcMonitor;
    MonitorFunctionTable table = {};
    table.pfnGetSystemMetrics = &GetSystemMetrics;
    table.pfnMonitorFromWindow = &MonitorFromWindow;
    table.pfnMonitorFromRect = &MonitorFromRect;
    table.pfnMonitorFromPoint = &MonitorFromPoint;
    table.pfnEnumDisplayMonitors = &EnumDisplayMonitors;
    table.pfnGetMonitorInfoW = &ForcedGetMonitorInfoW;
    table.bDone = true;
    g_monitorFunctions = table;
}

ForcedMonitor::~ForcedMonitor()
{
    g_monitorFunctions = m_saved;
}

HMONITOR ForcedMonitor::Handle() const
{
    return kForcedHandle;
}

void ForcedMonitor::MoveTo(const RECT& rcMonitor)
{
    s_rcForced = rcMonitor;
}
