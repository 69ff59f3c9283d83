#include "support/Placement.h"

WorkAreaMargins MarginsInWorkArea(HWND hWnd)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST), &info);
    return MarginsInRect(hWnd, info.rcWork);
}

WorkAreaMargins MarginsInRect(HWND hWnd, const RECT& rcWork)
{
    RECT rcWindow = {};
    GetWindowRect(hWnd, &rcWindow);
    return WorkAreaMargins{rcWindow.left - rcWork.left, rcWindow.top - rcWork.top, rcWork.right - rcWindow.right,
                           rcWork.bottom - rcWindow.bottom};
}

::testing::AssertionResult IsCentred(const WorkAreaMargins& margins)
{
    const bool bInside = margins.nLeft > 0 && margins.nTop > 0;
    const bool bCentred = labs(margins.nLeft - margins.nRight) <= 1 && labs(margins.nTop - margins.nBottom) <= 1;
    if (bInside && bCentred)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not centred: left " << margins.nLeft << ", right " << margins.nRight
                                         << ", top " << margins.nTop << ", bottom " << margins.nBottom;
}
