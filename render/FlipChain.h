// What a run's picture needs of the display device in its current mode: the
// primary surface with its one back buffer, the palette of a palette-indexed
// display, and the frame's layout on the part of the surfaces that the monitor
// shows. Made by the renderer's set-up and made again by each rebuild for a new
// mode; the frame loop takes rectangles and pixel values from it.
#ifndef QUILLABY_RENDER_FLIPCHAIN_H
#define QUILLABY_RENDER_FLIPCHAIN_H

#include <windows.h>
#include <ddraw.h>

class CFlipChain
{
public:
    CFlipChain();
    ~CFlipChain();
    CFlipChain(const CFlipChain&) = delete;
    CFlipChain& operator=(const CFlipChain&) = delete;

    // Makes the chain on pDD for a monitor of that rectangle. On failure:
    // the result, and the step that failed in pszStep; what was made stays
    // until Release, so that the last error is still the failed call's.
    HRESULT Create(IDirectDraw2* pDD, const RECT& rcMonitor, const wchar_t*& pszStep);
    // The palette first, then the primary surface with its back buffer.
    void Release();
    // Works out the pixel values of the run's colours and the frame's edges.
    void LayOut(DWORD crBackground, DWORD crBar);

    IDirectDrawSurface* Primary() const { return m_pPrimary; }
    IDirectDrawSurface* Back() const { return m_pBack; }

    // W and H: the back buffer, cut to the monitor's size.
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // The monitor's rectangle the chain was made for.
    const RECT& MonitorRect() const { return m_rcMonitor; }
    // Whether the picture leaves part of the monitor uncovered: the surfaces
    // are smaller than the monitor.
    bool CoversLess() const;

    // The whole picture, then the frame's top, right, bottom and left edges.
    const RECT& Screen() const { return m_rcScreen; }
    const RECT& Edge(int nEdge) const { return m_arcEdges[nEdge]; }
    static const int kEdges = 4;
    // The bar at x, kept inside the frame: it never covers the right column.
    RECT Bar(DWORD x, DWORD nBarWidth) const;

    DWORD White() const { return m_dwWhite; }
    DWORD Background() const { return m_dwBackground; }
    DWORD BarColour() const { return m_dwBar; }

    // The low eight bits of nValue placed in the field dwMask of a pixel format.
    static DWORD ScaleComponent(DWORD nValue, DWORD dwMask);

private:
    void Measure(const RECT& rcMonitor);
    bool IsPaletteIndexed() const;
    HRESULT CreateAndAttachPalette(IDirectDraw2* pDD, const wchar_t*& pszStep);

    IDirectDrawSurface* m_pPrimary;
    IDirectDrawSurface* m_pBack; // released with m_pPrimary, the root of its chain
    IDirectDrawPalette* m_pPalette; // only on a palette-indexed display; released before m_pPrimary
    RECT m_rcMonitor;
    int m_nWidth;
    int m_nHeight;
    int m_nSurfaceWidth;
    int m_nSurfaceHeight;
    DWORD m_dwWhite; // pixel values in the back buffer's format
    DWORD m_dwBackground;
    DWORD m_dwBar;
    RECT m_rcScreen;
    RECT m_arcEdges[kEdges];
};

#endif
