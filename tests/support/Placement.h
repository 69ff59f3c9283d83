// Where a window lies within the work area of its monitor.
#ifndef QUILLABY_TESTS_PLACEMENT_H
#define QUILLABY_TESTS_PLACEMENT_H

#include <gtest/gtest.h>
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
// The gaps between the window and the edges of the given work area.
WorkAreaMargins MarginsInRect(HWND hWnd, const RECT& rcWork);
// Success when the window lies inside, equally far (within a pixel) from
// either side; the failure names all four margins.
::testing::AssertionResult IsCentred(const WorkAreaMargins& margins);

#endif
