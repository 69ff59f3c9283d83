#include "ui/PacingLines.h"

#include "pacing/PacingWords.h"

namespace
{
// A control's device context with the control's own font selected, for
// measuring its text; given back on destruction.
class ControlTextDC
{
public:
    explicit ControlTextDC(HWND hWnd)
        : m_hWnd(hWnd), m_hDC(GetDC(hWnd)),
          m_hOldFont(SelectObject(m_hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(hWnd, WM_GETFONT, 0, 0))))
    {
    }
    ~ControlTextDC()
    {
        SelectObject(m_hDC, m_hOldFont);
        ReleaseDC(m_hWnd, m_hDC);
    }
    ControlTextDC(const ControlTextDC&) = delete;
    ControlTextDC& operator=(const ControlTextDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
    HGDIOBJ m_hOldFont;
};
}

std::string PacingLinesFor(HWND hControl, const PacingSummary& pacing)
{
    RECT rc = {};
    GetClientRect(hControl, &rc);
    const ControlTextDC dc(hControl);
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
