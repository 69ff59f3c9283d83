#include "fakes/FakeSurface.h"

#include <cstring>

CFakeSurface::CFakeSurface(FakeDDObject kind, int nInstance, CFakeSurface* pBack)
    // The chain alone holds its back buffer until someone asks for it.
    : m_refs(kind, nInstance, kind == FakeDDObject::BackBuffer ? 0 : 1), m_pBack(pBack), m_pPrimary(nullptr),
      m_nFlips(0), m_pPalette(nullptr)
{
    if (m_pBack != nullptr)
        m_pBack->m_pPrimary = this;
}

CFakeSurface::~CFakeSurface()
{
}

bool CFakeSurface::IsAlive() const
{
    if (m_pPrimary != nullptr)
        return m_pPrimary->IsAlive();
    return m_refs.Refs() > 0;
}

void CFakeSurface::CheckAlive() const
{
    if (!IsAlive())
        FakeDDMisuse();
}

HRESULT CFakeSurface::Unexpected(const char* pszName)
{
    return FakeDDUnexpected(m_refs.Kind(), m_refs.Instance(), pszName);
}

HRESULT CFakeSurface::QueryInterface(REFIID riid, void** ppvObject)
{
    CheckAlive();
    HRESULT hr = E_NOINTERFACE;
    *ppvObject = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectDrawSurface)
    {
        hr = S_OK;
        *ppvObject = static_cast<IDirectDrawSurface*>(this);
    }
    if (FakeDDIsRecording())
    {
        FakeDDCall call = m_refs.NewCall(FakeDDMethod::QueryInterface);
        call.iid = riid;
        FakeDDReturn(FakeDDMethod::QueryInterface, &call, hr);
    }
    if (hr == S_OK)
        m_refs.AddRef();
    return hr;
}

ULONG CFakeSurface::AddRef()
{
    CheckAlive();
    return m_refs.AddRef();
}

ULONG CFakeSurface::Release()
{
    // A back buffer given up by itself is a mistake even while its chain lives.
    if (m_refs.Kind() == FakeDDObject::BackBuffer)
        FakeDDMisuse();
    const ULONG nRefs = m_refs.Release();
    // As DirectDraw does, the last release gives up the attached palette.
    if (nRefs == 0 && m_pPalette != nullptr)
    {
        IDirectDrawPalette* pPalette = m_pPalette;
        m_pPalette = nullptr;
        pPalette->Release();
    }
    return nRefs;
}

HRESULT CFakeSurface::Blt(LPRECT pDestRect, LPDIRECTDRAWSURFACE pSource, LPRECT pSourceRect, DWORD dwFlags,
                          LPDDBLTFX pFx)
{
    CheckAlive();
    const HRESULT hr = g_fakeDDScript.blt.Take();
    if (!FakeDDIsRecording())
        return FakeDDReturn(FakeDDMethod::Blt, nullptr, hr);

    FakeDDCall call = m_refs.NewCall(FakeDDMethod::Blt);
    call.dwFlags = dwFlags;
    call.bDestRect = pDestRect != nullptr;
    if (pDestRect != nullptr)
        call.rcDest = *pDestRect;
    call.pSource = pSource;
    call.bSourceRect = pSourceRect != nullptr;
    if (pFx != nullptr)
    {
        call.dwSize = pFx->dwSize;
        call.dwFillColor = pFx->dwFillColor;
        DDBLTFX rest = *pFx;
        rest.dwSize = 0;
        rest.dwFillColor = 0;
        const DDBLTFX zero = {};
        call.bOtherFxZero = std::memcmp(&rest, &zero, sizeof(DDBLTFX)) == 0;
    }
    return FakeDDReturn(FakeDDMethod::Blt, &call, hr);
}

HRESULT CFakeSurface::Flip(LPDIRECTDRAWSURFACE pTargetOverride, DWORD dwFlags)
{
    CheckAlive();
    const HRESULT hr = g_fakeDDScript.flip.Take();
    ++m_nFlips;
    if (m_nFlips == g_fakeDDScript.nKeyDownAtFlip)
        PostMessageW(FakeDDCooperativeWindow(), WM_KEYDOWN, VK_SPACE, 0);
    if (!FakeDDIsRecording())
        return FakeDDReturn(FakeDDMethod::Flip, nullptr, hr);

    FakeDDCall call = m_refs.NewCall(FakeDDMethod::Flip);
    call.pSource = pTargetOverride;
    call.dwFlags = dwFlags;
    return FakeDDReturn(FakeDDMethod::Flip, &call, hr);
}

HRESULT CFakeSurface::Restore()
{
    CheckAlive();
    const HRESULT hr = g_fakeDDScript.restore.Take();
    if (!FakeDDIsRecording())
        return FakeDDReturn(FakeDDMethod::Restore, nullptr, hr);
    FakeDDCall call = m_refs.NewCall(FakeDDMethod::Restore);
    return FakeDDReturn(FakeDDMethod::Restore, &call, hr);
}

HRESULT CFakeSurface::GetPixelFormat(LPDDPIXELFORMAT pFormat)
{
    CheckAlive();
    const HRESULT hr = g_fakeDDScript.hrGetPixelFormat;
    FakeDDCall call = m_refs.NewCall(FakeDDMethod::GetPixelFormat);
    call.dwSize = pFormat->dwSize;
    if (hr == DD_OK)
        *pFormat = g_fakeDDScript.pixelFormat;
    return FakeDDReturn(FakeDDMethod::GetPixelFormat, &call, hr);
}

HRESULT CFakeSurface::GetAttachedSurface(LPDDSCAPS pCaps, LPDIRECTDRAWSURFACE* ppSurface)
{
    CheckAlive();
    HRESULT hr = g_fakeDDScript.hrGetAttachedSurface;
    if (hr == DD_OK && (m_pBack == nullptr || pCaps->dwCaps != DDSCAPS_BACKBUFFER))
        hr = DDERR_NOTFOUND;
    *ppSurface = hr == DD_OK ? m_pBack : nullptr;
    FakeDDCall call = m_refs.NewCall(FakeDDMethod::GetAttachedSurface);
    call.caps = *pCaps;
    FakeDDReturn(FakeDDMethod::GetAttachedSurface, &call, hr);
    if (hr == DD_OK)
        m_pBack->m_refs.AddRef();
    return hr;
}

HRESULT CFakeSurface::GetSurfaceDesc(LPDDSURFACEDESC pDesc)
{
    CheckAlive();
    HRESULT hr = g_fakeDDScript.hrGetSurfaceDesc;
    if (hr == DD_OK && pDesc->dwSize != sizeof(DDSURFACEDESC))
        hr = DDERR_INVALIDPARAMS;
    FakeDDCall call = m_refs.NewCall(FakeDDMethod::GetSurfaceDesc);
    call.dwSize = pDesc->dwSize;
    if (hr == DD_OK)
    {
        const DDPIXELFORMAT& format = g_fakeDDScript.pixelFormat;
        const DWORD dwCaps = m_refs.Kind() == FakeDDObject::Primary
            ? DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER
            : DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_BACKBUFFER;
        *pDesc = DDSURFACEDESC();
        pDesc->dwSize = sizeof(DDSURFACEDESC);
        pDesc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
        pDesc->dwWidth = static_cast<DWORD>(g_fakeDDScript.surfaceSize.cx);
        pDesc->dwHeight = static_cast<DWORD>(g_fakeDDScript.surfaceSize.cy);
        pDesc->lPitch = g_fakeDDScript.surfaceSize.cx * static_cast<LONG>(format.dwRGBBitCount / 8);
        pDesc->ddpfPixelFormat = format;
        pDesc->ddsCaps.dwCaps = dwCaps;
    }
    return FakeDDReturn(FakeDDMethod::GetSurfaceDesc, &call, hr);
}

HRESULT CFakeSurface::SetPalette(LPDIRECTDRAWPALETTE pPalette)
{
    CheckAlive();
    HRESULT hr = g_fakeDDScript.hrSetPalette;
    // Only a palette-indexed surface takes one.
    if (hr == DD_OK && (g_fakeDDScript.pixelFormat.dwFlags & DDPF_PALETTEINDEXED8) == 0)
        hr = DDERR_NOTPALETTIZED;
    FakeDDCall call = m_refs.NewCall(FakeDDMethod::SetPalette);
    call.pPalette = pPalette;
    FakeDDReturn(FakeDDMethod::SetPalette, &call, hr);
    if (hr == DD_OK && pPalette != m_pPalette)
    {
        if (pPalette != nullptr)
            pPalette->AddRef();
        if (m_pPalette != nullptr)
            m_pPalette->Release();
        m_pPalette = pPalette;
    }
    return hr;
}

HRESULT CFakeSurface::AddAttachedSurface(LPDIRECTDRAWSURFACE) { return Unexpected("AddAttachedSurface"); }
HRESULT CFakeSurface::AddOverlayDirtyRect(LPRECT) { return Unexpected("AddOverlayDirtyRect"); }
HRESULT CFakeSurface::BltBatch(LPDDBLTBATCH, DWORD, DWORD) { return Unexpected("BltBatch"); }
HRESULT CFakeSurface::BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) { return Unexpected("BltFast"); }
HRESULT CFakeSurface::DeleteAttachedSurface(DWORD, LPDIRECTDRAWSURFACE) { return Unexpected("DeleteAttachedSurface"); }
HRESULT CFakeSurface::EnumAttachedSurfaces(LPVOID, LPDDENUMSURFACESCALLBACK) { return Unexpected("EnumAttachedSurfaces"); }
HRESULT CFakeSurface::EnumOverlayZOrders(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) { return Unexpected("EnumOverlayZOrders"); }
HRESULT CFakeSurface::GetBltStatus(DWORD) { return Unexpected("GetBltStatus"); }
HRESULT CFakeSurface::GetCaps(LPDDSCAPS) { return Unexpected("GetCaps"); }
HRESULT CFakeSurface::GetClipper(LPDIRECTDRAWCLIPPER*) { return Unexpected("GetClipper"); }
HRESULT CFakeSurface::GetColorKey(DWORD, LPDDCOLORKEY) { return Unexpected("GetColorKey"); }
HRESULT CFakeSurface::GetDC(HDC*) { return Unexpected("GetDC"); }
HRESULT CFakeSurface::GetFlipStatus(DWORD) { return Unexpected("GetFlipStatus"); }
HRESULT CFakeSurface::GetOverlayPosition(LPLONG, LPLONG) { return Unexpected("GetOverlayPosition"); }
HRESULT CFakeSurface::GetPalette(LPDIRECTDRAWPALETTE*) { return Unexpected("GetPalette"); }
HRESULT CFakeSurface::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) { return Unexpected("Initialize"); }
HRESULT CFakeSurface::IsLost() { return Unexpected("IsLost"); }
HRESULT CFakeSurface::Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) { return Unexpected("Lock"); }
HRESULT CFakeSurface::ReleaseDC(HDC) { return Unexpected("ReleaseDC"); }
HRESULT CFakeSurface::SetClipper(LPDIRECTDRAWCLIPPER) { return Unexpected("SetClipper"); }
HRESULT CFakeSurface::SetColorKey(DWORD, LPDDCOLORKEY) { return Unexpected("SetColorKey"); }
HRESULT CFakeSurface::SetOverlayPosition(LONG, LONG) { return Unexpected("SetOverlayPosition"); }
HRESULT CFakeSurface::Unlock(LPVOID) { return Unexpected("Unlock"); }
HRESULT CFakeSurface::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) { return Unexpected("UpdateOverlay"); }
HRESULT CFakeSurface::UpdateOverlayDisplay(DWORD) { return Unexpected("UpdateOverlayDisplay"); }
HRESULT CFakeSurface::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) { return Unexpected("UpdateOverlayZOrder"); }
