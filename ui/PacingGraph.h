// The picture of the last run in the dialog: each interval between frames
// across the run's time, with lines at 1, 2 and 3 refreshes, held, early and
// lost time marked, and beside it how many frames stayed each number of
// refreshes. Drawn with GDI in the colours that every desktop shows alike,
// 8-bit palettes included.
#ifndef QUILLABY_UI_PACINGGRAPH_H
#define QUILLABY_UI_PACINGGRAPH_H

#include <windows.h>

#include "pacing/PacingPicture.h"

// What the colours mean, for the picture and the tests that look at it.
const COLORREF kGraphFrames = RGB(0, 0, 0);
const COLORREF kGraphHeld = RGB(255, 0, 0);
const COLORREF kGraphEarly = RGB(0, 0, 255);
const COLORREF kGraphLost = RGB(192, 192, 192);
const COLORREF kGraphLines = RGB(128, 128, 128);

// The picture inside rc, in the font selected into hDC; with no picture
// (before the first run), what it will show.
void DrawPacingGraph(HDC hDC, const RECT& rc, const PacingPicture* pPicture);

// How many columns the picture has in the control hGraph, in its font.
int GraphColumns(HWND hGraph);

// Where a value in the picture's unit lies in rc: the top is 4.5 units.
struct GraphPlot
{
    RECT rcPlot;
    int YOf(double dValue) const;
};
GraphPlot PlotIn(HDC hDC, const RECT& rc);

#endif
