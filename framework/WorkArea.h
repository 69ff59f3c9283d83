// The work area a top-level window opens in. USER32's multiple-monitor
// functions are found at run time, so that a program on the framework still
// starts on a system without them; there the primary screen's work area is
// the only one.
#ifndef FRAMEWORK_WORKAREA_H
#define FRAMEWORK_WORKAREA_H

#include <windows.h>

struct AfxMonitorFunctions
{
    HMONITOR (WINAPI* pfnMonitorFromWindow)(HWND, DWORD);
    BOOL (WINAPI* pfnGetMonitorInfoW)(HMONITOR, LPMONITORINFO);
    // Set once looked up. Tests may fill the table themselves and set it;
    // a null pointer stands for a function the system lacks.
    bool bDone;
};

extern AfxMonitorFunctions g_afxMonitorFunctions;

// The work area of the monitor nearest to the window, or the primary
// screen's when the system lacks either function; false when neither is known.
bool AfxGetWorkArea(HWND hWnd, RECT& rcWork);

#endif
