#include "display/MonitorServices.h"

MonitorFunctionTable g_monitorFunctions = {};

namespace
{
const DWORD kBasicInfoSize = sizeof(MONITORINFO);     // 40
const DWORD kExtendedInfoSize = sizeof(MONITORINFOEXW); // 104

template <class Pointer>
bool LookUp(HMODULE hModule, const char* pszName, Pointer& pfn)
{
    FARPROC pProc = GetProcAddress(hModule, pszName);
    pfn = reinterpret_cast<Pointer>(reinterpret_cast<void*>(pProc));
    return pfn != nullptr;
}
}

BOOL InitMonitorFunctions()
{
    MonitorFunctionTable& table = g_monitorFunctions;
    if (table.bDone)
        return table.pfnGetMonitorInfoW != nullptr;

    HMODULE hUser32 = GetModuleHandleW(L"USER32");
    const bool bAll = hUser32 != nullptr
        && LookUp(hUser32, "GetSystemMetrics", table.pfnGetSystemMetrics)
        && LookUp(hUser32, "MonitorFromWindow", table.pfnMonitorFromWindow)
        && LookUp(hUser32, "MonitorFromRect", table.pfnMonitorFromRect)
        && LookUp(hUser32, "MonitorFromPoint", table.pfnMonitorFromPoint)
        && LookUp(hUser32, "EnumDisplayMonitors", table.pfnEnumDisplayMonitors)
        && LookUp(hUser32, "GetMonitorInfoW", table.pfnGetMonitorInfoW);
    if (!bAll)
    {
        // Part of the set is no set: the one-monitor model answers everything.
        table = MonitorFunctionTable();
    }
    table.bDone = true;
    return bAll ? TRUE : FALSE;
}

HMONITOR CompatMonitorFromWindow(HWND hWnd, DWORD dwFlags)
{
    if (InitMonitorFunctions())
        return g_monitorFunctions.pfnMonitorFromWindow(hWnd, dwFlags);
    if ((dwFlags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST)) != 0)
        return PRIMARY_MONITOR_PSEUDO_HANDLE;
    return nullptr;
}

BOOL CompatGetMonitorInfo(HMONITOR hMonitor, LPMONITORINFO pInfo)
{
    if (InitMonitorFunctions())
        return g_monitorFunctions.pfnGetMonitorInfoW(hMonitor, pInfo);

    if (hMonitor != PRIMARY_MONITOR_PSEUDO_HANDLE || pInfo == nullptr || pInfo->cbSize < kBasicInfoSize)
        return FALSE;
    RECT rcWork;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0))
        return FALSE;

    const int nWidth = GetSystemMetrics(SM_CXSCREEN);
    const int nHeight = GetSystemMetrics(SM_CYSCREEN);
    SetRect(&pInfo->rcMonitor, 0, 0, nWidth, nHeight);
    pInfo->rcWork = rcWork;
    pInfo->dwFlags = MONITORINFOF_PRIMARY;
    if (pInfo->cbSize >= kExtendedInfoSize)
        lstrcpyW(reinterpret_cast<LPMONITORINFOEXW>(pInfo)->szDevice, L"DISPLAY");
    return TRUE;
}

int CompatGetSystemMetrics(int nIndex)
{
    if (InitMonitorFunctions())
        return g_monitorFunctions.pfnGetSystemMetrics(nIndex);
    return GetSystemMetrics(nIndex);
}
