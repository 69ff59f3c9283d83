#include "ui/PacingGraph.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "framework/SelectedObject.h"
#include "ui/ControlFontDC.h"

namespace
{
const double kTopUnits = 4.5;
const wchar_t kBeforeARun[] = L"After a run: how long each frame stayed, in refreshes, across the run.";
const wchar_t kNoFrames[] = L"Too few frames for a picture.";

// Counts in the room of a label: "597", "1234k", "4294M".
std::wstring Compact(DWORD n)
{
    wchar_t sz[16];
    if (n < 100000)
        swprintf(sz, 16, L"%lu", static_cast<unsigned long>(n));
    else if (n < 100000000)
        swprintf(sz, 16, L"%luk", static_cast<unsigned long>(n / 1000));
    else
        swprintf(sz, 16, L"%luM", static_cast<unsigned long>(n / 1000000));
    return sz;
}

void Label(HDC hDC, int x, int y, const std::wstring& strText)
{
    TEXTMETRICW tm = {};
    GetTextMetricsW(hDC, &tm);
    TextOutW(hDC, x, y - tm.tmHeight / 2, strText.c_str(), static_cast<int>(strText.size()));
}

void Line(HDC hDC, int x0, int y0, int x1, int y1)
{
    MoveToEx(hDC, x0, y0, nullptr);
    LineTo(hDC, x1, y1);
}
}

int GraphPlot::YOf(double dValue) const
{
    const double dClipped = std::max(0.0, std::min(kTopUnits, dValue));
    const int nHeight = rcPlot.bottom - 1 - rcPlot.top;
    return rcPlot.bottom - 1 - static_cast<int>(dClipped / kTopUnits * nHeight + 0.5);
}

int GraphColumns(HWND hGraph)
{
    RECT rc = {};
    GetClientRect(hGraph, &rc);
    const CControlFontDC dc(hGraph);
    const RECT& rcPlot = PlotIn(dc.Get(), rc).rcPlot;
    return rcPlot.right > rcPlot.left ? rcPlot.right - rcPlot.left : 0;
}

GraphPlot PlotIn(HDC hDC, const RECT& rc)
{
    TEXTMETRICW tm = {};
    GetTextMetricsW(hDC, &tm);
    SIZE label = {};
    GetTextExtentPoint32W(hDC, L"4+: 8888M", 9, &label);
    GraphPlot plot;
    plot.rcPlot = rc;
    InflateRect(&plot.rcPlot, -1, -1);
    plot.rcPlot.top += tm.tmHeight / 2;
    plot.rcPlot.bottom -= tm.tmHeight / 2;
    plot.rcPlot.right -= label.cx + tm.tmAveCharWidth;
    return plot;
}

void DrawPacingGraph(HDC hDC, const RECT& rc, const PacingPicture* pPicture)
{
    FillRect(hDC, &rc, GetSysColorBrush(COLOR_WINDOW));
    FrameRect(hDC, &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    const COLORREF crOldText = SetTextColor(hDC, GetSysColor(COLOR_WINDOWTEXT));
    if (pPicture == nullptr || pPicture->columns.empty())
    {
        RECT rcText = rc;
        InflateRect(&rcText, -4, -4);
        DrawTextW(hDC, pPicture == nullptr ? kBeforeARun : kNoFrames, -1, &rcText, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SetTextColor(hDC, crOldText);
        SetBkMode(hDC, nOldMode);
        return;
    }
    const PacingPicture& picture = *pPicture;
    const GraphPlot plot = PlotIn(hDC, rc);
    const RECT& rcPlot = plot.rcPlot;
    const int nColumns = static_cast<int>(picture.columns.size());
    const int nWidth = rcPlot.right - rcPlot.left;
    auto xOf = [&](int nColumn) { return rcPlot.left + nColumn * nWidth / nColumns; };
    // A lone interval is a mark a little taller than a pixel, so that a
    // sparse run still shows.
    TEXTMETRICW tm = {};
    GetTextMetricsW(hDC, &tm);
    const int nLone = std::max(1, static_cast<int>(tm.tmHeight / 8));

    // Lost time first, as a band under everything else.
    {
        CSelectedObject brush(hDC, CreateSolidBrush(kGraphLost));
        for (int c = 0; c < nColumns; ++c)
        {
            if (!picture.columns[static_cast<size_t>(c)].bLost)
                continue;
            RECT rcLost = {xOf(c), rcPlot.top, std::max(xOf(c + 1), xOf(c) + 1), rcPlot.bottom};
            FillRect(hDC, &rcLost, static_cast<HBRUSH>(GetCurrentObject(hDC, OBJ_BRUSH)));
        }
    }
    {
        CSelectedObject pen(hDC, CreatePen(PS_DOT, 1, kGraphLines));
        for (int k = 1; k <= 3; ++k)
            Line(hDC, rcPlot.left, plot.YOf(k), rcPlot.right, plot.YOf(k));
    }
    // Each column from its shortest interval to its longest; where the
    // judgement found a frame held (or late), the part above one and a half
    // refreshes (typical intervals) in red, where early, the part below a
    // half in blue.
    const struct
    {
        COLORREF crPen;
        BYTE nMark;
    } kLayers[] = {{kGraphFrames, 0}, {kGraphEarly, kPacingShort}, {kGraphHeld, kPacingLong}};
    for (const auto& layer : kLayers)
    {
        CSelectedObject pen(hDC, CreatePen(PS_SOLID, 1, layer.crPen));
        for (int c = 0; c < nColumns; ++c)
        {
            const PacingColumn& column = picture.columns[static_cast<size_t>(c)];
            if (!column.bFrames || (layer.nMark != 0 && (column.nMarks & layer.nMark) == 0))
                continue;
            double dLow = column.fLow, dHigh = column.fHigh;
            if (layer.nMark == kPacingLong)
                dLow = std::min(std::max(dLow, 1.5), dHigh);
            else if (layer.nMark == kPacingShort)
                dHigh = std::max(std::min(dHigh, 0.5), dLow);
            // Off the top: half a unit of it shows that it goes on.
            if (dHigh > kTopUnits)
                dLow = std::min(dLow, kTopUnits - 0.5);
            const int x = xOf(c);
            const int yLow = plot.YOf(dLow), yHigh = plot.YOf(dHigh);
            Line(hDC, x, yLow + (yLow - yHigh < 2 * nLone ? nLone : 0),
                 x, yHigh - (yLow - yHigh < 2 * nLone ? nLone : 0) - 1);
        }
    }

    // Beside the lines: how many frames stayed each number of refreshes
    // where they were counted so, else the lines' times.
    const int xLabel = rcPlot.right + 2;
    for (int k = 1; k <= 4; ++k)
    {
        std::wstring strLabel;
        if (picture.bCounted)
            strLabel = (k == 4 ? std::wstring(L"4+: ") : std::to_wstring(k) + L": ") + Compact(picture.anByRefreshes[k]);
        else if (k <= 3)
        {
            wchar_t sz[32];
            swprintf(sz, 32, L"%.1f ms", picture.dLineMs * k);
            strLabel = sz;
        }
        Label(hDC, xLabel, plot.YOf(k), strLabel);
    }
    if (picture.bCounted && picture.anByRefreshes[0] != 0)
        Label(hDC, xLabel, plot.YOf(0.3), L"0: " + Compact(picture.anByRefreshes[0]));
    SetTextColor(hDC, crOldText);
    SetBkMode(hDC, nOldMode);
}
