#include "ui/PacingLines.h"

#include "pacing/PacingWords.h"
#include "ui/ControlFontDC.h"

std::string PacingLinesFor(HWND hControl, const PacingSummary& pacing)
{
    RECT rc = {};
    GetClientRect(hControl, &rc);
    const CControlFontDC dc(hControl);
    return PacingLinesIn(dc.Get(), rc.right, pacing);
}

std::string PacingLinesIn(HDC hDC, LONG nWidth, const PacingSummary& pacing)
{
    return BreakBetweenClauses(PacingClauses(pacing), [&](const std::string& strLine) {
        SIZE size = {};
        GetTextExtentPoint32A(hDC, strLine.c_str(), static_cast<int>(strLine.size()), &size);
        return size.cx <= nWidth;
    });
}
