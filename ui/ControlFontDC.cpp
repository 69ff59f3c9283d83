#include "ui/ControlFontDC.h"

namespace
{
HGDIOBJ FontOf(HWND hWnd)
{
    return reinterpret_cast<HGDIOBJ>(SendMessageW(hWnd, WM_GETFONT, 0, 0));
}
}

CControlFontDC::CControlFontDC(HWND hWnd)
    : m_hWnd(hWnd), m_hDC(GetDC(hWnd)), m_bOwned(true), m_hOldFont(SelectObject(m_hDC, FontOf(hWnd)))
{
}

CControlFontDC::CControlFontDC(HWND hWnd, HDC hDC)
    : m_hWnd(hWnd), m_hDC(hDC), m_bOwned(false), m_hOldFont(SelectObject(m_hDC, FontOf(hWnd)))
{
}

CControlFontDC::~CControlFontDC()
{
    SelectObject(m_hDC, m_hOldFont);
    if (m_bOwned)
        ReleaseDC(m_hWnd, m_hDC);
}
