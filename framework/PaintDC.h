// Painting of one WM_PAINT: begun on construction, ended on destruction.
#ifndef FRAMEWORK_PAINTDC_H
#define FRAMEWORK_PAINTDC_H

#include <windows.h>

class CWnd;

class CPaintDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC m_hDC;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

#endif
