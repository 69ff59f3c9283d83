// The test window over one display device, that device's DirectDraw object in
// exclusive full-screen co-operation with a primary surface and one back
// buffer, and the frame loop that draws the moving bar.
#ifndef QUILLABY_RENDER_SWEEPRENDERER_H
#define QUILLABY_RENDER_SWEEPRENDERER_H

#include <windows.h>
#include <ddraw.h>

#include <optional>
#include <string>

#include "display/DisplayDevice.h"
#include "render/FlipChain.h"
#include "pacing/PacingRecord.h"
#include "render/HeldKeySet.h"

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

    // The low eight bits of nValue placed in the field dwMask of a pixel
    // format; the flip chain, which owns the pixel format, works it out.
    static DWORD ScaleComponent(DWORD nValue, DWORD dwMask) { return CFlipChain::ScaleComponent(nValue, dwMask); }

    // Ends the run on any WM_KEYDOWN or WM_SYSKEYDOWN (F10, keys with Alt) but
    // the auto-repeats of a key that was already down when the run began,
    // whichever of the program's windows it was for; every other message is
    // left alone.
    void OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // WM_DISPLAYCHANGE, which comes for a change on any monitor: after the
    // frame the loop looks whether this monitor's rectangle or mode changed.
    void OnDisplayChange() { m_bLookNow = true; }

    bool IsRunning() const { return m_bRunning; }
    HWND GetTestWindow() const { return m_hTestWnd; }
    // The part of the surfaces that the monitor shows, where the picture goes.
    int GetWidth() const { return m_chain.Width(); }
    int GetHeight() const { return m_chain.Height(); }
    IDirectDrawSurface* GetPrimarySurface() const { return m_chain.Primary(); }
    // The pacing of the frames shown by the last RunFrames.
    const CPacingRecord& GetPacing() const { return m_pacing; }

    // This monitor's mode as the system gives it; zeros where it gives none.
    struct MonitorMode
    {
        DWORD nWidth, nHeight, nBits, nHz;
    };
    // The mode the flip chain was last made in.
    const MonitorMode& GetMode() const { return m_modeSeen; }

    // A run that ended because the surfaces could not be made again for a new
    // mode: the text of the box that says so, and the tick count when the
    // picture was last seen whole, where the part of the run shown ends.
    struct RunFailure
    {
        std::wstring strText;
        DWORD dwShownUntil;
    };
    const std::optional<RunFailure>& GetFailure() const { return m_failure; }
    // Whether the picture left part of the monitor uncovered at the end of the
    // run (surfaces smaller than the monitor, as Wine keeps them after the mode
    // grows); then the size shown and the monitor's.
    bool CoveredLess(SIZE& shown, SIZE& screen) const;
    // How long a rebuild may fail before the run ends; a few seconds unless changed.
    void SetRebuildLimit(DWORD dwMs) { m_dwRebuildLimitMs = dwMs; }

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

    // What a run has counted by some moment: taken back to the last look
    // that found the mode unchanged when a change is noticed.
    struct RunCounts
    {
        DWORD nFrames; // frames whose flip reached the screen
        CPacingRecord::Mark pacing;
    };
    RunCounts Counts() const { return RunCounts{m_nFrames, m_pacing.GetMark()}; }
    void TakeBack(const RunCounts& counts);

    // Undoes everything, then shows the box and throws.
    [[noreturn]] void Fail(const SetUpProgress& progress, const wchar_t* pszStep, std::optional<HRESULT> result);
    void ReleaseSurfacesAndDirectDraw();
    MonitorMode CurrentMode() const;
    // Whether the monitor's rectangle or its mode is no longer the one laid out for.
    bool ModeChanged() const;
    // Makes the chain again for the mode as it is now; while that fails,
    // waits as for a lost display and tries again, until it works, a key ends
    // the run, or the limit has passed: then the run ends with m_failure
    // set, and the answer is false.
    bool RebuildForNewMode();
    HRESULT RebuildChain(const wchar_t*& pszStep);
    // Puts the test window over the new rectangle and lays the frame out anew.
    void ChainRebuilt();
    // Dispatches the test window's queued key-downs up to its first other
    // message, then takes the input queued for the program's other windows in
    // the same way: a key there ends the run too, and nothing of it is delivered.
    void PumpKeys();
    // Waits dwMs, taking the test window's keys whenever input comes; ends
    // early only when a key ends the run.
    void WaitAWhile(DWORD dwMs);
    // While the display shows nothing (lost surfaces that can't be restored,
    // flips that fail): waits without spinning, still taking keys, until the
    // surfaces can be restored, a key ends the run or the mode changes. The
    // time counts as lost in the pacing record.
    void WaitForDisplay();

    IDirectDraw2* m_pDD;
    HINSTANCE m_hInst;
    HWND m_hTestWnd;
    HMONITOR m_hMonitor; // the device's, or null for the primary screen
    // The primary surface (m_pPrimary) and its back buffer (m_pBack), the
    // palette and the layout for the mode as it is; released before m_pDD.
    CFlipChain m_chain;
    DWORD m_crBackground; // the run's colours, for each layout
    DWORD m_crBar;
    std::wstring m_strDevice; // the device's display name, for its mode
    MonitorMode m_modeSeen;   // the mode the chain was made in
    DWORD m_dwRebuildLimitMs;
    std::optional<RunFailure> m_failure;
    bool m_bRunning;
    bool m_bModeChanged;
    bool m_bLookNow; // a WM_DISPLAYCHANGE came: look at the mode after this frame
    // The keys held as RunFrames began.
    CHeldKeySet m_keysAtStart;
    // The last run's count of frames shown, and its pacing.
    DWORD m_nFrames;
    CPacingRecord m_pacing;
};

LRESULT CALLBACK SweepWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The live renderer and its test window, for SweepWindowProc.
extern CSweepRenderer* g_pRenderer;
extern HWND g_hRendererWnd;

#endif
