// Where a window lies within the work area of its monitor.
#ifndef QUILLABY_TESTS_PLACEMENT_H
#define QUILLABY_TESTS_PLACEMENT_H

#include <windows.h>

struct WorkAreaMargins
{
    long nLeft;
    long nTop;
    long nRight;
    long nBottom;
};

// The gaps between the window and the edges of its monitor's work area.
WorkAreaMargins MarginsInWorkArea(HWND hWnd);

#endif
