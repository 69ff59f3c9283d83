// A control's device context with the control's own font selected, for
// measuring and drawing its text in that font; given back on destruction.
#ifndef QUILLABY_UI_CONTROLFONTDC_H
#define QUILLABY_UI_CONTROLFONTDC_H

#include <windows.h>

class CControlFontDC
{
public:
    explicit CControlFontDC(HWND hWnd);
    // An owner-drawn control's own context, given by its WM_DRAWITEM.
    CControlFontDC(HWND hWnd, HDC hDC);
    ~CControlFontDC();
    CControlFontDC(const CControlFontDC&) = delete;
    CControlFontDC& operator=(const CControlFontDC&) = delete;

    HDC Get() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
    bool m_bOwned; // the context is this object's to give back
    HGDIOBJ m_hOldFont;
};

#endif
