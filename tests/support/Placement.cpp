#include "support/Placement.h"

WorkAreaMargins MarginsInWorkArea(HWND hWnd)
{
    RECT rcWindow = {};
    GetWindowRect(hWnd, &rcWindow);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
    const RECT& rcWork = info.rcWork;
    return WorkAreaMargins{rcWindow.left - rcWork.left, rcWindow.top - rcWork.top, rcWork.right - rcWindow.right,
                           rcWork.bottom - rcWindow.bottom};
}
