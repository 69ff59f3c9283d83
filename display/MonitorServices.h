// Monitor lookups that pass through to USER32's multiple-monitor functions when
// it has all of them, and otherwise answer as if the primary screen were the
// only monitor.
#ifndef QUILLABY_DISPLAY_MONITORSERVICES_H
#define QUILLABY_DISPLAY_MONITORSERVICES_H

#include <windows.h>

// Names the only monitor of the one-monitor model.
#define PRIMARY_MONITOR_PSEUDO_HANDLE (reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(0x12340042)))

// Looked up by name in USER32, all six or none. Tests may fill the table and
// set bDone to force either model.
struct MonitorFunctionTable
{
    int (WINAPI* pfnGetSystemMetrics)(int);
    HMONITOR (WINAPI* pfnMonitorFromWindow)(HWND, DWORD);
    HMONITOR (WINAPI* pfnMonitorFromRect)(LPCRECT, DWORD);
    HMONITOR (WINAPI* pfnMonitorFromPoint)(POINT, DWORD);
    BOOL (WINAPI* pfnEnumDisplayMonitors)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
    BOOL (WINAPI* pfnGetMonitorInfoW)(HMONITOR, LPMONITORINFO);
    bool bDone;
};

extern MonitorFunctionTable g_monitorFunctions;

// Fills the table on the first call; true when USER32 gave all six.
BOOL InitMonitorFunctions();

HMONITOR CompatMonitorFromWindow(HWND hWnd, DWORD dwFlags);
BOOL CompatGetMonitorInfo(HMONITOR hMonitor, LPMONITORINFO pInfo);
int CompatGetSystemMetrics(int nIndex);

#endif
