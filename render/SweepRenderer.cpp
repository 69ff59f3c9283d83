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
// WM_KEYDOWN's lParam: the key was already down, so this is an auto-repeat.
const LPARAM kPreviousStateDown = 0x40000000;

// Thrown as a char*, not a const char*, so that a catch (char*) takes it.
char s_szError[] = "error";

// What the failure box calls each step of the set-up.
const wchar_t kStepRegister[] = L"Registering the window class";
const wchar_t kStepWindow[] = L"Creating the test window";
const wchar_t kStepDirectDraw[] = L"Creating the DirectDraw object";
const wchar_t kStepDirectDraw2[] = L"Asking for IDirectDraw2";
const wchar_t kStepExclusive[] = L"Taking exclusive full-screen control";
const wchar_t kStepPrimary[] = L"Creating the primary surface";
const wchar_t kStepBackBuffer[] = L"Getting the back buffer";
const wchar_t kStepPalette[] = L"Creating the palette";
const wchar_t kStepAttachPalette[] = L"Attaching the palette to the primary surface";

DWORD PixelValue(DWORD crColor, const DDPIXELFORMAT& format)
{
    return CSweepRenderer::ScaleComponent(crColor >> 16, format.dwBBitMask)
        | CSweepRenderer::ScaleComponent(crColor >> 8, format.dwGBitMask)
        | CSweepRenderer::ScaleComponent(crColor, format.dwRBitMask);
}

// The display's refresh in hertz as DirectDraw gives it; 0 when it doesn't.
DWORD MonitorFrequency(IDirectDraw2* pDD)
{
    DWORD dwRefresh = 0;
    if (pDD->GetMonitorFrequency(&dwRefresh) != DD_OK)
        return 0;
    return dwRefresh;
}

// Palette entries on a palette-indexed display: the frame uses the white that
// every palette keeps at 255, and the background and the bar take the first
// two entries after Windows' ten low static colours.
const DWORD kWhiteIndex = 255;
const DWORD kBackgroundIndex = 10;
const DWORD kBarIndex = 11;

PALETTEENTRY PaletteEntry(DWORD crColor)
{
    const PALETTEENTRY entry = {GetRValue(crColor), GetGValue(crColor), GetBValue(crColor), 0};
    return entry;
}
}

CSweepRenderer::CSweepRenderer(const CDisplayDevice& device, HINSTANCE hInst)
    : m_pDD(nullptr), m_pPrimary(nullptr), m_pBack(nullptr), m_pPalette(nullptr), m_hInst(hInst),
      m_hTestWnd(nullptr), m_hMonitor(device.m_hMonitor), m_mode(), m_crBackground(0), m_crBar(0),
      m_bRunning(false), m_bModeChanged(false)
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
    hr = CreateChain(rcScreen, pszStep);
    if (hr != DD_OK)
        Fail(progress, pszStep, hr);
    pDD1->Release();

    g_pRenderer = this;
    g_hRendererWnd = hWnd;
    m_hTestWnd = hWnd;
    m_bRunning = true;
}

HRESULT CSweepRenderer::CreateChain(const RECT& rcMonitor, const wchar_t*& pszStep)
{
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    pszStep = kStepPrimary;
    SetLastError(0);
    HRESULT hr = m_pDD->CreateSurface(&desc, &m_pPrimary, nullptr);
    if (hr != DD_OK)
    {
        m_pPrimary = nullptr;
        return hr;
    }
    DDSCAPS caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    pszStep = kStepBackBuffer;
    SetLastError(0);
    hr = m_pPrimary->GetAttachedSurface(&caps, &m_pBack);
    if (hr != DD_OK)
    {
        m_pBack = nullptr;
        return hr;
    }
    MeasureMode(rcMonitor);
    if (IsPaletteIndexed())
        return CreateAndAttachPalette(pszStep);
    return DD_OK;
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

SIZE CSweepRenderer::BackBufferSize(int nRectWidth, int nRectHeight) const
{
    // The surfaces take the display's real mode, which can differ from the
    // monitor rectangle (a scaled desktop gives a program virtualised
    // coordinates); the picture is laid out on the surface as it is.
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC);
    const DWORD dwSized = DDSD_WIDTH | DDSD_HEIGHT;
    SIZE size = {nRectWidth, nRectHeight};
    if (m_pBack->GetSurfaceDesc(&desc) == DD_OK && (desc.dwFlags & dwSized) == dwSized && desc.dwWidth > 0
        && desc.dwHeight > 0)
    {
        size.cx = static_cast<LONG>(desc.dwWidth);
        size.cy = static_cast<LONG>(desc.dwHeight);
    }
    return size;
}

void CSweepRenderer::MeasureMode(const RECT& rcMonitor)
{
    // Wine keeps a process's surfaces at the mode it first saw, while the
    // monitor shows only the top-left part of them at a smaller new mode: the
    // picture goes inside that part.
    const int nRectWidth = rcMonitor.right - rcMonitor.left;
    const int nRectHeight = rcMonitor.bottom - rcMonitor.top;
    const SIZE size = BackBufferSize(nRectWidth, nRectHeight);
    m_mode.rcMonitor = rcMonitor;
    m_mode.nWidth = size.cx < nRectWidth ? size.cx : nRectWidth;
    m_mode.nHeight = size.cy < nRectHeight ? size.cy : nRectHeight;
}

bool CSweepRenderer::IsPaletteIndexed() const
{
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    return m_pBack->GetPixelFormat(&format) == DD_OK && (format.dwFlags & DDPF_PALETTEINDEXED8) != 0;
}

HRESULT CSweepRenderer::CreateAndAttachPalette(const wchar_t*& pszStep)
{
    // Windows' twenty static colours keep their places, so that whatever is
    // drawn with them, the dialog among it, looks right while the palette
    // holds; black and white stay at 0 and 255 in any case. The background and
    // the bar get entries of their own when the run starts.
    PALETTEENTRY entries[256] = {};
    PALETTEENTRY statics[20] = {};
    const UINT nStatics = GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, statics);
    if (nStatics == 20)
    {
        for (int i = 0; i < 10; ++i)
        {
            entries[i] = statics[i];
            entries[246 + i] = statics[10 + i];
        }
    }
    entries[0] = PALETTEENTRY{0, 0, 0, 0};
    entries[kWhiteIndex] = PALETTEENTRY{255, 255, 255, 0};

    pszStep = kStepPalette;
    SetLastError(0);
    HRESULT hr = m_pDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &m_pPalette, nullptr);
    if (hr != DD_OK)
    {
        m_pPalette = nullptr;
        return hr;
    }
    pszStep = kStepAttachPalette;
    SetLastError(0);
    return m_pPrimary->SetPalette(m_pPalette);
}

void CSweepRenderer::LayOutFrame()
{
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    m_pBack->GetPixelFormat(&format);
    m_mode.dwWhite = PixelValue(0x00FFFFFF, format);
    m_mode.dwBar = PixelValue(m_crBar, format);
    m_mode.dwBackground = PixelValue(m_crBackground, format);
    if (m_pPalette != nullptr)
    {
        // Pixels are palette indices here; the display shows the entries as
        // near as its own palette allows.
        PALETTEENTRY colours[2] = {PaletteEntry(m_crBackground), PaletteEntry(m_crBar)};
        m_pPalette->SetEntries(0, kBackgroundIndex, 2, colours);
        m_mode.dwWhite = kWhiteIndex;
        m_mode.dwBackground = kBackgroundIndex;
        m_mode.dwBar = kBarIndex;
    }

    const int w = m_mode.nWidth;
    const int h = m_mode.nHeight;
    SetRect(&m_mode.rcScreen, 0, 0, w, h);
    SetRect(&m_mode.rcTop, 0, 0, w, 1);
    SetRect(&m_mode.rcRight, w - 1, 0, w, h);
    SetRect(&m_mode.rcBottom, 0, h - 1, w, h);
    SetRect(&m_mode.rcLeft, 0, 0, 1, h);
}

void CSweepRenderer::ReleaseChain()
{
    // The palette goes first: the primary surface holds it while attached.
    if (m_pPalette != nullptr)
    {
        m_pPalette->Release();
        m_pPalette = nullptr;
    }
    // The back buffer goes with the primary surface, the root of its chain.
    m_pBack = nullptr;
    if (m_pPrimary != nullptr)
    {
        m_pPrimary->Release();
        m_pPrimary = nullptr;
    }
}

void CSweepRenderer::ReleaseSurfacesAndDirectDraw()
{
    ReleaseChain();
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
    const bool bRepeat = (lParam & kPreviousStateDown) != 0;
    if (bRepeat && wParam < sizeof(m_abKeysAtStart) && (m_abKeysAtStart[wParam] & 0x80) != 0)
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

DWORD CSweepRenderer::ScaleComponent(DWORD nValue, DWORD dwMask)
{
    if (dwMask == 0)
        return 0;
    DWORD nShift = 0;
    while ((dwMask << nShift & 0x80000000u) == 0)
        ++nShift;
    return ((nValue << 24) & (dwMask << nShift)) >> nShift;
}

HRESULT CSweepRenderer::FillRect(RECT* pRect, DWORD dwColor)
{
    DDBLTFX fx = {};
    fx.dwSize = sizeof(DDBLTFX);
    fx.dwFillColor = dwColor;
    if (m_pBack->Blt(pRect, nullptr, nullptr, kAsyncFill, &fx) == DD_OK)
        return DD_OK;
    // Refused without waiting, for whatever reason: ask again and wait.
    return m_pBack->Blt(pRect, nullptr, nullptr, kWaitingFill, &fx);
}

DWORD CSweepRenderer::RunFrames(DWORD nMultiplier, DWORD nDivider, DWORD nBarWidth, DWORD crBackground, DWORD crBar)
{
    m_crBackground = crBackground;
    m_crBar = crBar;
    LayOutFrame();

    DWORD x = 1;
    m_counts.nFrames = 0;
    RECT rcBar;
    rcBar.top = 1;
    if (!m_bRunning)
        return 0;

    GetKeyboardState(m_abKeysAtStart);
    LARGE_INTEGER ticksPerSecond;
    QueryPerformanceFrequency(&ticksPerSecond);
    m_counts.pacing.Begin(ticksPerSecond.QuadPart, MonitorFrequency(m_pDD));

    // The counts as the last look found the mode unchanged, and when that was.
    RunCounts countsChecked = m_counts;
    DWORD dwChecked = GetTickCount();
    LARGE_INTEGER checkedAt;
    QueryPerformanceCounter(&checkedAt);
    for (;;)
    {
        const DWORD nWidth = static_cast<DWORD>(m_mode.nWidth);
        // The bar never covers the frame's right column, however wide it is.
        const DWORD nRight = x + nBarWidth < nWidth - 1 ? x + nBarWidth : nWidth - 1;
        rcBar.left = static_cast<LONG>(x);
        rcBar.right = static_cast<LONG>(nRight);
        rcBar.bottom = m_mode.nHeight - 1;
        FillRect(&m_mode.rcScreen, m_mode.dwBackground);
        FillRect(&m_mode.rcTop, m_mode.dwWhite);
        FillRect(&m_mode.rcRight, m_mode.dwWhite);
        FillRect(&m_mode.rcBottom, m_mode.dwWhite);
        FillRect(&m_mode.rcLeft, m_mode.dwWhite);
        FillRect(&rcBar, m_mode.dwBar);

        if (nMultiplier != 0)
            x += nMultiplier;
        else if (nDivider != 0 && m_counts.nFrames % nDivider == 0)
            x += 1;
        // Back to 1, not carried over, so the bar never straddles the right edge.
        if (x + nBarWidth > nWidth - 1)
            x = 1;

        HRESULT hr = m_pPrimary->Flip(nullptr, DDFLIP_WAIT);
        while (hr == DDERR_SURFACELOST)
        {
            const HRESULT hrRestore = m_pPrimary->Restore();
            if (hrRestore != DD_OK)
            {
                // Windows answers so until the surfaces are made for the new
                // mode; Wine also while another program holds the display,
                // which leaves the monitor as it was.
                if (hrRestore == DDERR_WRONGMODE && MonitorChanged())
                    m_bModeChanged = true;
                else
                    WaitForDisplay();
                break;
            }
            hr = m_pPrimary->Flip(nullptr, DDFLIP_WAIT);
        }
        // Only frames that reached the screen count towards the rate.
        if (hr == DD_OK)
        {
            ++m_counts.nFrames;
            LARGE_INTEGER shown;
            QueryPerformanceCounter(&shown);
            m_counts.pacing.AddFrame(shown.QuadPart);
        }
        // Any other failure showed nothing either, and trying again at once
        // would spin as a lost display would.
        else if (hr != DDERR_SURFACELOST)
        {
            WaitForDisplay();
        }

        PumpKeys();
        if (!m_bRunning)
            return m_counts.nFrames;

        const DWORD dwNow = GetTickCount();
        if (m_bModeChanged || dwNow - dwChecked >= kModeCheckMs)
        {
            if (m_bModeChanged || MonitorChanged())
            {
                // The frames since the last look may have been drawn for the
                // old mode, and the rebuild shows nothing: none of it counts,
                // and the pacing line gives it as time the display was lost.
                m_counts = countsChecked;
                RebuildForNewMode();
                LARGE_INTEGER rebuiltAt;
                QueryPerformanceCounter(&rebuiltAt);
                m_counts.pacing.AddLostTime(checkedAt.QuadPart, rebuiltAt.QuadPart);
                if (!m_bRunning)
                    return m_counts.nFrames;
                // The new mode may refresh at another rate: the frames from
                // here on are judged against it.
                m_counts.pacing.SetDisplayHz(MonitorFrequency(m_pDD));
                if (x + nBarWidth > static_cast<DWORD>(m_mode.nWidth) - 1)
                    x = 1;
            }
            countsChecked = m_counts;
            dwChecked = GetTickCount();
            QueryPerformanceCounter(&checkedAt);
        }
    }
}

bool CSweepRenderer::MonitorChanged() const
{
    const RECT rcMonitor = CDisplayDevice::MonitorRect(m_hMonitor);
    return EqualRect(&rcMonitor, &m_mode.rcMonitor) == FALSE;
}

void CSweepRenderer::RebuildForNewMode()
{
    for (;;)
    {
        // A change that comes during a try is seen after it.
        m_bModeChanged = false;
        if (RebuildChain())
            return;
        // No box during a run: wait as for a lost display, and try again.
        WaitAWhile(kRebuildRetryMs);
        if (!m_bRunning)
            return;
    }
}

bool CSweepRenderer::RebuildChain()
{
    ReleaseChain();
    const RECT rcMonitor = CDisplayDevice::MonitorRect(m_hMonitor);
    const wchar_t* pszStep = nullptr;
    if (CreateChain(rcMonitor, pszStep) != DD_OK)
    {
        ReleaseChain();
        return false;
    }
    SetWindowPos(m_hTestWnd, HWND_TOPMOST, rcMonitor.left, rcMonitor.top, rcMonitor.right - rcMonitor.left,
                 rcMonitor.bottom - rcMonitor.top, SWP_NOACTIVATE);
    LayOutFrame();
    return true;
}

void CSweepRenderer::WaitAWhile(DWORD dwMs)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, dwMs, QS_ALLINPUT);
    PumpKeys();
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
    do
    {
        WaitAWhile(kLostRetryMs);
        const DWORD dwNow = GetTickCount();
        if (dwNow - dwChecked >= kModeCheckMs)
        {
            dwChecked = dwNow;
            if (MonitorChanged())
                m_bModeChanged = true;
        }
    } while (m_bRunning && !m_bModeChanged && m_pPrimary->Restore() != DD_OK);
    LARGE_INTEGER to;
    QueryPerformanceCounter(&to);
    m_counts.pacing.AddLostTime(from.QuadPart, to.QuadPart);
}

void CSweepRenderer::PumpKeys()
{
    MSG msg;
    while (PeekMessageW(&msg, m_hTestWnd, 0, 0, PM_REMOVE))
    {
        // Anything else has been taken off the queue too: it is dropped, and the
        // pump ends until the next frame.
        if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
