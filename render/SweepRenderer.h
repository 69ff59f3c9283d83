// The test window over one display device, that device's DirectDraw object in
// exclusive full-screen co-operation with a primary surface and one back
// buffer, and the frame loop that draws the moving bar.
#ifndef QUILLABY_RENDER_SWEEPRENDERER_H
#define QUILLABY_RENDER_SWEEPRENDERER_H

#include <windows.h>
#include <ddraw.h>

#include <optional>

#include "display/DisplayDevice.h"
#include "render/FramePacing.h"

class CSweepRenderer
{
public:
    // When any step fails: undoes every step made so far, then shows a box
    // captioned "Error" that names the step, and throws a char* pointing at "error".
    CSweepRenderer(const CDisplayDevice& device, HINSTANCE hInst);
    virtual ~CSweepRenderer();

    // Draws and flips frames until a key press in the test window; returns the
    // number of frames drawn.
    DWORD RunFrames(DWORD nMultiplier, DWORD nDivider, DWORD nBarWidth, DWORD crBackground, DWORD crBar);

    // Colour-fills one rectangle of the back buffer; the result of the last request.
    HRESULT FillRect(RECT* pRect, DWORD dwColor);

    // The low eight bits of nValue placed in the field dwMask of a pixel format.
    static DWORD ScaleComponent(DWORD nValue, DWORD dwMask);

    // Ends the run on any WM_KEYDOWN but the auto-repeats of a key that was
    // already down when the run began; every other message is left alone.
    void OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam);

    bool IsRunning() const { return m_bRunning; }
    HWND GetTestWindow() const { return m_hTestWnd; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    IDirectDrawSurface* GetPrimarySurface() const { return m_pPrimary; }
    // The pacing of the frames shown by the last RunFrames.
    const CFramePacing& GetPacing() const { return m_pacing; }

private:
    CSweepRenderer(const CSweepRenderer&);
    CSweepRenderer& operator=(const CSweepRenderer&);

    // What a construction has obtained so far beyond the members, for the
    // failure path; hOwner is the window the failure box belongs to.
    struct SetUpProgress
    {
        HWND hOwner;
        bool bRegistered;
        HWND hWnd;
        IDirectDraw* pDD1;
    };

    // Undoes everything, then shows the box and throws.
    [[noreturn]] void Fail(const SetUpProgress& progress, const wchar_t* pszStep, std::optional<HRESULT> result);
    // The back buffer's own size, or the given one when it can't be read.
    SIZE BackBufferSize(int nRectWidth, int nRectHeight) const;
    bool IsPaletteIndexed() const;
    void CreateAndAttachPalette(const SetUpProgress& progress);
    void ReleaseSurfacesAndDirectDraw();
    // Dispatches the test window's queued key-downs up to its first other message.
    void PumpKeys();
    // While the display shows nothing (lost surfaces that can't be restored,
    // flips that fail): waits without spinning, still taking keys, until the
    // surfaces can be restored or a key ends the run. The time counts as lost
    // in the pacing record.
    void WaitForDisplay();

    IDirectDraw2* m_pDD;
    IDirectDrawSurface* m_pPrimary;
    IDirectDrawSurface* m_pBack; // released with m_pPrimary, the root of its chain
    IDirectDrawPalette* m_pPalette; // only on a palette-indexed display; released before m_pPrimary
    HINSTANCE m_hInst;
    HWND m_hTestWnd;
    int m_nWidth;
    int m_nHeight;
    bool m_bRunning;
    // The thread's key state as RunFrames began: which keys were held then.
    BYTE m_abKeysAtStart[256] = {};
    CFramePacing m_pacing;
};

LRESULT CALLBACK SweepWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The live renderer and its test window, for SweepWindowProc.
extern CSweepRenderer* g_pRenderer;
extern HWND g_hRendererWnd;

#endif
