#include "render/SweepRenderer.h"

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
// WM_KEYDOWN's lParam: the key was already down, so this is an auto-repeat.
const LPARAM kPreviousStateDown = 0x40000000;

// Thrown as a char*, not a const char*, so that a catch (char*) takes it.
char s_szError[] = "error";

DWORD PixelValue(DWORD crColor, const DDPIXELFORMAT& format)
{
    return CSweepRenderer::ScaleComponent(crColor >> 16, format.dwBBitMask)
        | CSweepRenderer::ScaleComponent(crColor >> 8, format.dwGBitMask)
        | CSweepRenderer::ScaleComponent(crColor, format.dwRBitMask);
}
}

CSweepRenderer::CSweepRenderer(const CDisplayDevice& device, HINSTANCE hInst)
    : m_pDD(nullptr), m_pPrimary(nullptr), m_pBack(nullptr), m_hInst(hInst), m_hTestWnd(nullptr),
      m_nWidth(0), m_nHeight(0), m_bRunning(false)
{
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
        Fail(nullptr, nullptr, false);

    HWND hWnd = CreateWindowExW(WS_EX_TOPMOST, kClassName, kWindowTitle, WS_POPUP, rcScreen.left, rcScreen.top,
                                nWidth, nHeight, nullptr, nullptr, m_hInst, nullptr);
    if (hWnd == nullptr)
        Fail(nullptr, nullptr, true);
    ShowWindow(hWnd, SW_SHOW);
    UpdateWindow(hWnd);

    IDirectDraw* pDD1 = nullptr;
    if (DirectDrawCreate(const_cast<GUID*>(device.m_pGuid), &pDD1, nullptr) != DD_OK)
        Fail(nullptr, hWnd, true);
    if (pDD1->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&m_pDD)) != S_OK)
    {
        m_pDD = nullptr;
        Fail(pDD1, hWnd, true);
    }
    if (m_pDD->SetCooperativeLevel(hWnd, kCooperativeLevel) != DD_OK)
        Fail(pDD1, hWnd, true);
    // Wine answers DDSCL_CREATEDEVICEWINDOW by moving the keyboard focus to a
    // device window of its own, where no key would ever end the run. Set up
    // again without that flag, the test window is the device window and keeps
    // the focus, and every flip still reaches the screen the same way (a plain
    // SetFocus lets keys through but sends every other frame by another path).
    if (GetFocus() != hWnd)
    {
        if (m_pDD->SetCooperativeLevel(hWnd, DDSCL_NORMAL) != DD_OK
            || m_pDD->SetCooperativeLevel(hWnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) != DD_OK)
            Fail(pDD1, hWnd, true);
    }

    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    if (m_pDD->CreateSurface(&desc, &m_pPrimary, nullptr) != DD_OK)
    {
        m_pPrimary = nullptr;
        Fail(pDD1, hWnd, true);
    }
    DDSCAPS caps = {};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (m_pPrimary->GetAttachedSurface(&caps, &m_pBack) != DD_OK)
    {
        m_pBack = nullptr;
        Fail(pDD1, hWnd, true);
    }
    pDD1->Release();

    g_pRenderer = this;
    g_hRendererWnd = hWnd;
    m_nWidth = nWidth;
    m_nHeight = nHeight;
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
    // The back buffer goes with the primary surface, the root of its chain.
    m_pBack = nullptr;
    if (m_pPrimary != nullptr)
    {
        m_pPrimary->Release();
        m_pPrimary = nullptr;
    }
    if (m_pDD != nullptr)
    {
        m_pDD->Release();
        m_pDD = nullptr;
    }
}

void CSweepRenderer::Fail(IDirectDraw* pDD1, HWND hWnd, bool bRegistered)
{
    const DWORD dwError = GetLastError();
    LPWSTR pszText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, dwError, 0,
                   reinterpret_cast<LPWSTR>(&pszText), 0, nullptr);
    // A code the system has no text for is at least shown by its number.
    WCHAR szCode[32];
    wsprintfW(szCode, L"Error %lu", dwError);
    MessageBoxW(nullptr, pszText != nullptr ? pszText : szCode, L"Error", MB_OK);
    LocalFree(pszText);

    ReleaseSurfacesAndDirectDraw();
    if (pDD1 != nullptr)
        pDD1->Release();
    if (hWnd != nullptr)
        DestroyWindow(hWnd);
    if (bRegistered)
        UnregisterClassW(kClassName, m_hInst);
    throw s_szError;
}

void CSweepRenderer::OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != WM_KEYDOWN)
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
        g_pRenderer->OnKeyDown(uMsg, wParam, lParam);
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
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    m_pBack->GetPixelFormat(&format);
    const DWORD dwWhite = PixelValue(0x00FFFFFF, format);
    const DWORD dwBar = PixelValue(crBar, format);
    const DWORD dwBackground = PixelValue(crBackground, format);

    const DWORD nWidth = static_cast<DWORD>(m_nWidth);
    DWORD x = 1;
    DWORD nFrames = 0;
    RECT rcBar;
    rcBar.top = 1;
    rcBar.bottom = m_nHeight - 1;
    if (!m_bRunning)
        return 0;

    GetKeyboardState(m_abKeysAtStart);

    RECT rcScreen = {0, 0, m_nWidth, m_nHeight};
    RECT rcTop = {0, 0, m_nWidth, 1};
    RECT rcRight = {m_nWidth - 1, 0, m_nWidth, m_nHeight};
    RECT rcBottom = {0, m_nHeight - 1, m_nWidth, m_nHeight};
    RECT rcLeft = {0, 0, 1, m_nHeight};
    for (;;)
    {
        // The bar never covers the frame's right column, however wide it is.
        const DWORD nRight = x + nBarWidth < nWidth - 1 ? x + nBarWidth : nWidth - 1;
        rcBar.left = static_cast<LONG>(x);
        rcBar.right = static_cast<LONG>(nRight);
        FillRect(&rcScreen, dwBackground);
        FillRect(&rcTop, dwWhite);
        FillRect(&rcRight, dwWhite);
        FillRect(&rcBottom, dwWhite);
        FillRect(&rcLeft, dwWhite);
        FillRect(&rcBar, dwBar);

        if (nMultiplier != 0)
            x += nMultiplier;
        else if (nDivider != 0 && nFrames % nDivider == 0)
            x += 1;
        // Back to 1, not carried over, so the bar never straddles the right edge.
        if (x + nBarWidth > nWidth - 1)
            x = 1;

        HRESULT hr = m_pPrimary->Flip(nullptr, DDFLIP_WAIT);
        while (hr == DDERR_SURFACELOST)
        {
            if (m_pPrimary->Restore() != DD_OK)
            {
                WaitForDisplay();
                break;
            }
            hr = m_pPrimary->Flip(nullptr, DDFLIP_WAIT);
        }
        // Only frames that reached the screen count towards the rate.
        if (hr == DD_OK)
            ++nFrames;

        PumpKeys();
        if (!m_bRunning)
            return nFrames;
    }
}

void CSweepRenderer::WaitForDisplay()
{
    // Another program holds the display. Trying again at full speed would burn
    // a core for nothing: sleep until the test window has news, or a short
    // while, so that the picture comes back soon after the display does.
    do
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kLostRetryMs, QS_ALLINPUT);
        PumpKeys();
    } while (m_bRunning && m_pPrimary->Restore() != DD_OK);
}

void CSweepRenderer::PumpKeys()
{
    MSG msg;
    while (PeekMessageW(&msg, m_hTestWnd, 0, 0, PM_REMOVE))
    {
        // Anything else has been taken off the queue too: it is dropped, and the
        // pump ends until the next frame.
        if (msg.message != WM_KEYDOWN)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
