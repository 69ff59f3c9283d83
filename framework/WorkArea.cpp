#include "framework/WorkArea.h"

AfxMonitorFunctions g_afxMonitorFunctions = {};

namespace
{
template <class Pointer>
void LookUp(HMODULE hModule, const char* pszName, Pointer& pfn)
{
    FARPROC pProc = hModule != nullptr ? GetProcAddress(hModule, pszName) : nullptr;
    pfn = reinterpret_cast<Pointer>(reinterpret_cast<void*>(pProc));
}

const AfxMonitorFunctions& MonitorFunctions()
{
    AfxMonitorFunctions& table = g_afxMonitorFunctions;
    if (!table.bDone)
    {
        HMODULE hUser32 = GetModuleHandleW(L"USER32");
        LookUp(hUser32, "MonitorFromWindow", table.pfnMonitorFromWindow);
        LookUp(hUser32, "GetMonitorInfoW", table.pfnGetMonitorInfoW);
        table.bDone = true;
    }
    return table;
}
}

bool AfxGetWorkArea(HWND hWnd, RECT& rcWork)
{
    const AfxMonitorFunctions& table = MonitorFunctions();
    if (table.pfnMonitorFromWindow != nullptr && table.pfnGetMonitorInfoW != nullptr)
    {
        HMONITOR hMonitor = table.pfnMonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (hMonitor == nullptr || !table.pfnGetMonitorInfoW(hMonitor, &info))
            return false;
        rcWork = info.rcWork;
        return true;
    }
    return SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0) != FALSE;
}
