#include "render/SweepRenderer.h"

#include "render/HeldKeyFilter.h"
#include "render/SetUpFailure.h"

// DirectDraw checks each structure's dwSize; these are the sizes that 32-bit
// Windows expects.
#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC as 32-bit DirectDraw expects it");
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX as 32-bit DirectDraw expects it");
static_assert(sizeof(DDPIXELFORMAT) == 32, "DDPIXELFORMAT as 32-bit DirectDraw expects it");
#endif

CSweepRenderer* g_pRenderer = nullptr;
HWND g_hRendererWnd = nullptr;

namespace
{
const wchar_t kClassName[] = L"Quillaby";
const wchar_t kWindowTitle[] = L"Quillaby Window";
const DWORD kCooperativeLevel = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_SETFOCUSWINDOW | DDSCL_CREATEDEVICEWINDOW;
const DWORD kAsyncFill = DDBLT_ASYNC | DDBLT_COLORFILL;
const DWORD kWaitingFill = DDBLT_WAIT | DDBLT_COLORFILL;
// How long a lost display is left alone before the next try to restore it.
const DWORD kLostRetryMs = 15;
// How often the frame loop looks at the monitor's rectangle: Wine tells no
// window of a new mode and keeps the surfaces as they were.
const DWORD kModeCheckMs = 250;
// A try to rebuild makes and drops whole surfaces: after a failed one, the
// next comes later than a try to restore.
const DWORD kRebuildRetryMs = 100;
// A rebuild that still fails after this long ends the run, as a failed set-up
// would have: the user sees why instead of a blank screen.
const DWORD kRebuildLimitMs = 5000;
// Restore answering DDERR_WRONGMODE for this long, with the program in
// front, means the surfaces need making again though the mode looks as it
// was: it changed and changed back between two looks.
const DWORD kWrongModeRebuildMs = 1000;

// Thrown as a char*, not a const char*, so that a catch (char*) takes it.
char s_szError[] = "error";

// What the failure box calls each step of the set-up.
const wchar_t kStepRegister[] = L"Registering the window class";
const wchar_t kStepWindow[] = L"Creating the test window";
const wchar_t kStepDirectDraw[] = L"Creating the DirectDraw object";
const wchar_t kStepDirectDraw2[] = L"Asking for IDirectDraw2";
const wchar_t kStepExclusive[] = L"Taking exclusive full-screen control";

// The display's refresh in hertz as DirectDraw gives it; 0 when it doesn't.
DWORD MonitorFrequency(IDirectDraw2* pDD)
{
    DWORD dwRefresh = 0;
    if (pDD->GetMonitorFrequency(&dwRefresh) != DD_OK)
        return 0;
    return dwRefresh;
}
}

CSweepRenderer::CSweepRenderer(const CDisplayDevice& device, HINSTANCE hInst)
    : m_pDD(nullptr), m_hInst(hInst), m_hTestWnd(nullptr), m_hMonitor(device.m_hMonitor), m_crBackground(0),
      m_crBar(0), m_strDevice(device.m_strDriverName), m_modeSeen(), m_dwRebuildLimitMs(kRebuildLimitMs),
      m_bRunning(false), m_bModeChanged(false), m_bLookNow(false), m_nFrames(0)
{
    // The window the user started the run from owns the failure box, so that
    // it can't be used while the box is up; it is of this thread, and the test
    // window and DirectDraw's own window are not made yet.
    SetUpProgress progress = {GetActiveWindow(), false, nullptr, nullptr};
    const RECT rcScreen = device.GetMonitorRect();
    const int nWidth = rcScreen.right - rcScreen.left;
    const int nHeight = rcScreen.bottom - rcScreen.top;

    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &SweepWindowProc;
    wc.hInstance = m_hInst;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (RegisterClassW(&wc) == 0)
        Fail(progress, kStepRegister, std::nullopt);
    progress.bRegistered = true;

    HWND hWnd = CreateWindowExW(WS_EX_TOPMOST, kClassName, kWindowTitle, WS_POPUP, rcScreen.left, rcScreen.top,
                                nWidth, nHeight, nullptr, nullptr, m_hInst, nullptr);
    if (hWnd == nullptr)
        Fail(progress, kStepWindow, std::nullopt);
    progress.hWnd = hWnd;
    ShowWindow(hWnd, SW_SHOW);
    UpdateWindow(hWnd);

    // DirectDraw does not set the last error; one left over from an earlier
    // call would explain nothing, so it is cleared before each request.
    SetLastError(0);
    IDirectDraw* pDD1 = nullptr;
    HRESULT hr = DirectDrawCreate(const_cast<GUID*>(device.m_pGuid), &pDD1, nullptr);
    if (hr != DD_OK)
        Fail(progress, kStepDirectDraw, hr);
    progress.pDD1 = pDD1;
    SetLastError(0);
    hr = pDD1->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&m_pDD));
    if (hr != S_OK)
    {
        m_pDD = nullptr;
        Fail(progress, kStepDirectDraw2, hr);
    }
    SetLastError(0);
    hr = m_pDD->SetCooperativeLevel(hWnd, kCooperativeLevel);
    if (hr != DD_OK)
        Fail(progress, kStepExclusive, hr);
    // Wine answers DDSCL_CREATEDEVICEWINDOW by moving the keyboard focus to a
    // device window of its own, where no key would ever end the run. Set up
    // again without that flag, the test window is the device window and keeps
    // the focus, and every flip still reaches the screen the same way (a plain
    // SetFocus lets keys through but sends every other frame by another path).
    if (GetFocus() != hWnd)
    {
        SetLastError(0);
        hr = m_pDD->SetCooperativeLevel(hWnd, DDSCL_NORMAL);
        if (hr == DD_OK)
            hr = m_pDD->SetCooperativeLevel(hWnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
        if (hr != DD_OK)
            Fail(progress, kStepExclusive, hr);
    }

    const wchar_t* pszStep = nullptr;
    hr = m_chain.Create(m_pDD, rcScreen, pszStep);
    if (hr != DD_OK)
        Fail(progress, pszStep, hr);
    m_modeSeen = CurrentMode();
    pDD1->Release();

    g_pRenderer = this;
    g_hRendererWnd = hWnd;
    m_hTestWnd = hWnd;
    m_bRunning = true;
}

CSweepRenderer::~CSweepRenderer()
{
    ReleaseSurfacesAndDirectDraw();
    if (m_hTestWnd != nullptr)
        DestroyWindow(m_hTestWnd);
    UnregisterClassW(kClassName, m_hInst);
    // Left set, they would name a dead object and a dead window.
    if (g_pRenderer == this)
    {
        g_pRenderer = nullptr;
        g_hRendererWnd = nullptr;
    }
}

void CSweepRenderer::ReleaseSurfacesAndDirectDraw()
{
    m_chain.Release();
    if (m_pDD != nullptr)
    {
        m_pDD->Release();
        m_pDD = nullptr;
    }
}

void CSweepRenderer::Fail(const SetUpProgress& progress, const wchar_t* pszStep, std::optional<HRESULT> result)
{
    // Read before the clean-up, whose calls may change it.
    const DWORD dwLastError = GetLastError();
    const std::wstring strText = SetUpFailureText(pszStep, result, dwLastError);

    ReleaseSurfacesAndDirectDraw();
    if (progress.pDD1 != nullptr)
        progress.pDD1->Release();
    if (progress.hWnd != nullptr)
        DestroyWindow(progress.hWnd);
    if (progress.bRegistered)
        UnregisterClassW(kClassName, m_hInst);
    // Only now: the topmost test window and exclusive mode would hide the box.
    {
        // The Enter that pressed Run may still be down: its repeats would
        // close the box before it could be read.
        const CHeldKeyFilter heldKeys;
        MessageBoxW(IsWindow(progress.hOwner) ? progress.hOwner : nullptr, strText.c_str(), L"Error", MB_OK);
    }
    throw s_szError;
}

void CSweepRenderer::OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // F10 and the keys pressed with Alt come as system keys; they are keys too.
    if (uMsg != WM_KEYDOWN && uMsg != WM_SYSKEYDOWN)
        return;
    // The auto-repeat of a key held since before the run (the Enter that
    // pressed Run, say) is no new press: that key ends the run only once it
    // has been let go and pressed again, which clears the previous-state bit.
    if (m_keysAtStart.IsHeldKeyMessage(uMsg, wParam, lParam))
        return;
    m_bRunning = false;
    PostMessageW(m_hTestWnd, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK SweepWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // Until construction ends the new window is not yet g_hRendererWnd.
    if (hWnd == g_hRendererWnd)
    {
        if (uMsg == WM_DISPLAYCHANGE)
            g_pRenderer->OnDisplayChange();
        else
            g_pRenderer->OnKeyDown(uMsg, wParam, lParam);
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HRESULT CSweepRenderer::FillRect(RECT* pRect, DWORD dwColor)
{
    DDBLTFX fx = {};
    fx.dwSize = sizeof(DDBLTFX);
    fx.dwFillColor = dwColor;
    IDirectDrawSurface* pBack = m_chain.Back();
    if (pBack->Blt(pRect, nullptr, nullptr, kAsyncFill, &fx) == DD_OK)
        return DD_OK;
    // Refused without waiting, for whatever reason: ask again and wait.
    return pBack->Blt(pRect, nullptr, nullptr, kWaitingFill, &fx);
}

DWORD CSweepRenderer::RunFrames(DWORD nMultiplier, DWORD nDivider, DWORD nBarWidth, DWORD crBackground, DWORD crBar)
{
    m_crBackground = crBackground;
    m_crBar = crBar;
    m_chain.LayOut(m_crBackground, m_crBar);

    DWORD x = 1;
    m_nFrames = 0;
    if (!m_bRunning)
        return 0;

    m_keysAtStart.Note();
    LARGE_INTEGER ticksPerSecond;
    QueryPerformanceFrequency(&ticksPerSecond);
    m_pacing.Begin(ticksPerSecond.QuadPart, MonitorFrequency(m_pDD));

    // The counts as the last look found the mode unchanged, and when that was.
    RunCounts countsChecked = Counts();
    DWORD dwChecked = GetTickCount();
    LARGE_INTEGER checkedAt;
    QueryPerformanceCounter(&checkedAt);
    for (;;)
    {
        RECT rcFill = m_chain.Screen();
        FillRect(&rcFill, m_chain.Background());
        for (int nEdge = 0; nEdge < CFlipChain::kEdges; ++nEdge)
        {
            rcFill = m_chain.Edge(nEdge);
            FillRect(&rcFill, m_chain.White());
        }
        rcFill = m_chain.Bar(x, nBarWidth);
        FillRect(&rcFill, m_chain.BarColour());

        if (nMultiplier != 0)
            x += nMultiplier;
        else if (nDivider != 0 && m_nFrames % nDivider == 0)
            x += 1;
        // Back to 1, not carried over, so the bar never straddles the right edge.
        if (x + nBarWidth > static_cast<DWORD>(m_chain.Width()) - 1)
            x = 1;

        HRESULT hr = m_chain.Primary()->Flip(nullptr, DDFLIP_WAIT);
        bool bWaited = false;
        if (hr == DDERR_SURFACELOST)
        {
            // One restore and one more flip in a frame: a display that keeps
            // losing the flips after each restore is waited for below, where
            // keys are taken, instead of being tried again here for ever.
            const HRESULT hrRestore = m_chain.Primary()->Restore();
            if (hrRestore == DD_OK)
            {
                hr = m_chain.Primary()->Flip(nullptr, DDFLIP_WAIT);
            }
            else
            {
                // Windows answers so until the surfaces are made for the new
                // mode; Wine also while another program holds the display,
                // which leaves the monitor as it was.
                if (hrRestore == DDERR_WRONGMODE && ModeChanged())
                    m_bModeChanged = true;
                else
                    WaitForDisplay();
                bWaited = true;
            }
        }
        // Only frames that reached the screen count towards the rate.
        if (hr == DD_OK)
        {
            ++m_nFrames;
            LARGE_INTEGER shown;
            QueryPerformanceCounter(&shown);
            m_pacing.AddFrame(shown.QuadPart);
        }
        // Any other failure showed nothing either, and trying again at once
        // would spin as a lost display would.
        else if (!bWaited)
        {
            WaitForDisplay();
        }

        PumpKeys();
        if (!m_bRunning)
            return m_nFrames;

        const DWORD dwNow = GetTickCount();
        if (m_bModeChanged || m_bLookNow || dwNow - dwChecked >= kModeCheckMs)
        {
            m_bLookNow = false;
            if (m_bModeChanged || ModeChanged())
            {
                // The frames since the last look may have been drawn for the
                // old mode, and the rebuild shows nothing: none of it counts,
                // and the pacing line gives it as time the display was lost.
                TakeBack(countsChecked);
                if (!RebuildForNewMode())
                {
                    // The run ends with the part that was shown.
                    m_failure->dwShownUntil = dwChecked;
                    return m_nFrames;
                }
                LARGE_INTEGER rebuiltAt;
                QueryPerformanceCounter(&rebuiltAt);
                m_pacing.AddLostTime(checkedAt.QuadPart, rebuiltAt.QuadPart);
                if (!m_bRunning)
                    return m_nFrames;
                if (x + nBarWidth > static_cast<DWORD>(m_chain.Width()) - 1)
                    x = 1;
            }
            countsChecked = Counts();
            dwChecked = GetTickCount();
            QueryPerformanceCounter(&checkedAt);
        }
    }
}

void CSweepRenderer::TakeBack(const RunCounts& counts)
{
    m_nFrames = counts.nFrames;
    m_pacing.Rewind(counts.pacing);
}

bool CSweepRenderer::CoveredLess(SIZE& shown, SIZE& screen) const
{
    const RECT& rc = m_chain.MonitorRect();
    shown = SIZE{m_chain.Width(), m_chain.Height()};
    screen = SIZE{rc.right - rc.left, rc.bottom - rc.top};
    return m_chain.Primary() != nullptr && m_chain.CoversLess();
}

CSweepRenderer::MonitorMode CSweepRenderer::CurrentMode() const
{
    // The device's own name, or the primary display's when DirectDraw gave
    // no display name for it.
    const bool bNamed = m_strDevice.compare(0, 4, L"\\\\.\\") == 0;
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    MonitorMode seen = {};
    if (EnumDisplaySettingsW(bNamed ? m_strDevice.c_str() : nullptr, ENUM_CURRENT_SETTINGS, &mode))
        seen = MonitorMode{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel, mode.dmDisplayFrequency};
    return seen;
}

bool CSweepRenderer::ModeChanged() const
{
    const RECT rcMonitor = CDisplayDevice::MonitorRect(m_hMonitor);
    if (EqualRect(&rcMonitor, &m_chain.MonitorRect()) == FALSE)
        return true;
    const MonitorMode now = CurrentMode();
    return now.nWidth != m_modeSeen.nWidth || now.nHeight != m_modeSeen.nHeight || now.nBits != m_modeSeen.nBits
        || now.nHz != m_modeSeen.nHz;
}

bool CSweepRenderer::RebuildForNewMode()
{
    const DWORD dwFrom = GetTickCount();
    for (;;)
    {
        // A change that comes during a try is seen after it.
        m_bModeChanged = false;
        const wchar_t* pszStep = nullptr;
        const HRESULT hr = RebuildChain(pszStep);
        if (hr == DD_OK)
        {
            ChainRebuilt();
            return true;
        }
        const DWORD dwLastError = GetLastError();
        m_chain.Release();
        // No box while the run can still go on: wait as for a lost display,
        // and try again, until that has lasted too long.
        if (GetTickCount() - dwFrom >= m_dwRebuildLimitMs)
        {
            m_failure = RunFailure{RebuildFailureText(pszStep, hr, dwLastError, m_dwRebuildLimitMs), 0};
            m_bRunning = false;
            return false;
        }
        WaitAWhile(kRebuildRetryMs);
        if (!m_bRunning)
            return true;
    }
}

HRESULT CSweepRenderer::RebuildChain(const wchar_t*& pszStep)
{
    m_chain.Release();
    const RECT rcMonitor = CDisplayDevice::MonitorRect(m_hMonitor);
    return m_chain.Create(m_pDD, rcMonitor, pszStep);
}

void CSweepRenderer::ChainRebuilt()
{
    // The one place where a rebuild for a new mode has worked.
    const RECT& rcMonitor = m_chain.MonitorRect();
    SetWindowPos(m_hTestWnd, HWND_TOPMOST, rcMonitor.left, rcMonitor.top, rcMonitor.right - rcMonitor.left,
                 rcMonitor.bottom - rcMonitor.top, SWP_NOACTIVATE);
    m_chain.LayOut(m_crBackground, m_crBar);
    m_modeSeen = CurrentMode();
    // The new mode may refresh at another rate: the frames from here on are
    // judged against it.
    m_pacing.SetDisplayHz(MonitorFrequency(m_pDD));
}

void CSweepRenderer::WaitAWhile(DWORD dwMs)
{
    // Any input wakes the wait, a mouse move too; the time is waited out all
    // the same, so that tries keep their pace, and each wake takes the keys.
    const DWORD dwFrom = GetTickCount();
    for (;;)
    {
        PumpKeys();
        const DWORD dwSpent = GetTickCount() - dwFrom;
        if (!m_bRunning || dwSpent >= dwMs)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwMs - dwSpent, QS_ALLINPUT);
    }
}

void CSweepRenderer::WaitForDisplay()
{
    // Another program holds the display, or the display takes no flips.
    // Trying again at full speed would burn a core for nothing: sleep until
    // the test window has news, or a short while, so that the picture comes
    // back soon after the display does. Surfaces lost to a new mode are never
    // restored: that needs a rebuild.
    LARGE_INTEGER from;
    QueryPerformanceCounter(&from);
    DWORD dwChecked = GetTickCount();
    // Since when Restore has answered DDERR_WRONGMODE with the test window in front.
    bool bWrongMode = false;
    DWORD dwWrongModeSince = 0;
    for (;;)
    {
        WaitAWhile(kLostRetryMs);
        const DWORD dwNow = GetTickCount();
        if (m_bLookNow || dwNow - dwChecked >= kModeCheckMs)
        {
            m_bLookNow = false;
            dwChecked = dwNow;
            if (ModeChanged())
                m_bModeChanged = true;
        }
        if (!m_bRunning || m_bModeChanged)
            break;
        const HRESULT hr = m_chain.Primary()->Restore();
        if (hr == DD_OK)
            break;
        // A mode changed and changed back between two looks leaves surfaces
        // that Windows never restores, though the mode looks as it was. Wine
        // answers so also while another window is in front, and restores
        // once DirectDraw's focus window, the test window, is back there
        // (ddraw_update_lost_surfaces): only a stretch with it in front counts.
        if (hr != DDERR_WRONGMODE || GetForegroundWindow() != m_hTestWnd)
            bWrongMode = false;
        else if (!bWrongMode)
        {
            bWrongMode = true;
            dwWrongModeSince = dwNow;
        }
        else if (dwNow - dwWrongModeSince >= kWrongModeRebuildMs)
        {
            m_bModeChanged = true;
            break;
        }
    }
    LARGE_INTEGER to;
    QueryPerformanceCounter(&to);
    m_pacing.AddLostTime(from.QuadPart, to.QuadPart);
}

void CSweepRenderer::PumpKeys()
{
    MSG msg;
    for (;;)
    {
        const bool bTestWindow = PeekMessageW(&msg, m_hTestWnd, 0, 0, PM_REMOVE) != FALSE;
        // Input for the program's other windows (the dialog, or whichever has
        // the focus) is the run's too: a key there ends it, and nothing is
        // delivered, to act once the run is over.
        if (!bTestWindow && !TakeQueuedInput(msg))
            return;
        // Anything else has been taken off the queue too: it is dropped, and the
        // pump ends until the next frame.
        if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
            return;
        if (bTestWindow)
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        else
        {
            OnKeyDown(msg.message, msg.wParam, msg.lParam);
        }
    }
}
