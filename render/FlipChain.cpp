#include "render/FlipChain.h"

namespace
{
// What the failure box calls each step.
const wchar_t kStepPrimary[] = L"Creating the primary surface";
const wchar_t kStepBackBuffer[] = L"Getting the back buffer";
const wchar_t kStepPalette[] = L"Creating the palette";
const wchar_t kStepAttachPalette[] = L"Attaching the palette to the primary surface";

// Palette entries on a palette-indexed display: the frame uses the white that
// every palette keeps at 255, and the background and the bar take the first
// two entries after Windows' ten low static colours.
const DWORD kWhiteIndex = 255;
const DWORD kBackgroundIndex = 10;
const DWORD kBarIndex = 11;

DWORD PixelValue(DWORD crColor, const DDPIXELFORMAT& format)
{
    return CFlipChain::ScaleComponent(crColor >> 16, format.dwBBitMask)
        | CFlipChain::ScaleComponent(crColor >> 8, format.dwGBitMask)
        | CFlipChain::ScaleComponent(crColor, format.dwRBitMask);
}

PALETTEENTRY PaletteEntry(DWORD crColor)
{
    const PALETTEENTRY entry = {GetRValue(crColor), GetGValue(crColor), GetBValue(crColor), 0};
    return entry;
}
}

CFlipChain::CFlipChain()
    : m_pPrimary(nullptr), m_pBack(nullptr), m_pPalette(nullptr), m_rcMonitor(), m_nWidth(0), m_nHeight(0),
      m_nSurfaceWidth(0), m_nSurfaceHeight(0), m_dwWhite(0), m_dwBackground(0), m_dwBar(0), m_rcScreen(),
      m_arcEdges()
{
}

CFlipChain::~CFlipChain()
{
    Release();
}

HRESULT CFlipChain::Create(IDirectDraw2* pDD, const RECT& rcMonitor, const wchar_t*& pszStep)
{
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    pszStep = kStepPrimary;
    SetLastError(0);
    HRESULT hr = pDD->CreateSurface(&desc, &m_pPrimary, nullptr);
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
    Measure(rcMonitor);
    if (IsPaletteIndexed())
        return CreateAndAttachPalette(pDD, pszStep);
    return DD_OK;
}

void CFlipChain::Release()
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

void CFlipChain::Measure(const RECT& rcMonitor)
{
    // The surfaces take the display's real mode, which can differ from the
    // monitor rectangle: a scaled desktop gives a program virtualised
    // coordinates, and Wine keeps a process's surfaces at the mode it first
    // saw. The picture goes inside the part of the surfaces the monitor shows.
    const int nRectWidth = rcMonitor.right - rcMonitor.left;
    const int nRectHeight = rcMonitor.bottom - rcMonitor.top;
    DDSURFACEDESC desc = {};
    desc.dwSize = sizeof(DDSURFACEDESC);
    const DWORD dwSized = DDSD_WIDTH | DDSD_HEIGHT;
    m_nSurfaceWidth = nRectWidth;
    m_nSurfaceHeight = nRectHeight;
    if (m_pBack->GetSurfaceDesc(&desc) == DD_OK && (desc.dwFlags & dwSized) == dwSized && desc.dwWidth > 0
        && desc.dwHeight > 0)
    {
        m_nSurfaceWidth = static_cast<int>(desc.dwWidth);
        m_nSurfaceHeight = static_cast<int>(desc.dwHeight);
    }
    m_rcMonitor = rcMonitor;
    m_nWidth = m_nSurfaceWidth < nRectWidth ? m_nSurfaceWidth : nRectWidth;
    m_nHeight = m_nSurfaceHeight < nRectHeight ? m_nSurfaceHeight : nRectHeight;
}

bool CFlipChain::CoversLess() const
{
    return m_nWidth < m_rcMonitor.right - m_rcMonitor.left || m_nHeight < m_rcMonitor.bottom - m_rcMonitor.top;
}

bool CFlipChain::IsPaletteIndexed() const
{
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    return m_pBack->GetPixelFormat(&format) == DD_OK && (format.dwFlags & DDPF_PALETTEINDEXED8) != 0;
}

HRESULT CFlipChain::CreateAndAttachPalette(IDirectDraw2* pDD, const wchar_t*& pszStep)
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
    HRESULT hr = pDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &m_pPalette, nullptr);
    if (hr != DD_OK)
    {
        m_pPalette = nullptr;
        return hr;
    }
    pszStep = kStepAttachPalette;
    SetLastError(0);
    return m_pPrimary->SetPalette(m_pPalette);
}

void CFlipChain::LayOut(DWORD crBackground, DWORD crBar)
{
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    m_pBack->GetPixelFormat(&format);
    m_dwWhite = PixelValue(0x00FFFFFF, format);
    m_dwBar = PixelValue(crBar, format);
    m_dwBackground = PixelValue(crBackground, format);
    if (m_pPalette != nullptr)
    {
        // Pixels are palette indices here; the display shows the entries as
        // near as its own palette allows.
        PALETTEENTRY colours[2] = {PaletteEntry(crBackground), PaletteEntry(crBar)};
        m_pPalette->SetEntries(0, kBackgroundIndex, 2, colours);
        m_dwWhite = kWhiteIndex;
        m_dwBackground = kBackgroundIndex;
        m_dwBar = kBarIndex;
    }

    const int w = m_nWidth;
    const int h = m_nHeight;
    SetRect(&m_rcScreen, 0, 0, w, h);
    SetRect(&m_arcEdges[0], 0, 0, w, 1);
    SetRect(&m_arcEdges[1], w - 1, 0, w, h);
    SetRect(&m_arcEdges[2], 0, h - 1, w, h);
    SetRect(&m_arcEdges[3], 0, 0, 1, h);
}

DWORD CFlipChain::ScaleComponent(DWORD nValue, DWORD dwMask)
{
    if (dwMask == 0)
        return 0;
    DWORD nShift = 0;
    while ((dwMask << nShift & 0x80000000u) == 0)
        ++nShift;
    return ((nValue << 24) & (dwMask << nShift)) >> nShift;
}

RECT CFlipChain::Bar(DWORD x, DWORD nBarWidth) const
{
    const DWORD nWidth = static_cast<DWORD>(m_nWidth);
    // The bar never covers the frame's right column, however wide it is.
    const DWORD nRight = x + nBarWidth < nWidth - 1 ? x + nBarWidth : nWidth - 1;
    RECT rc;
    rc.left = static_cast<LONG>(x);
    rc.top = 1;
    rc.right = static_cast<LONG>(nRight);
    rc.bottom = m_nHeight - 1;
    return rc;
}
