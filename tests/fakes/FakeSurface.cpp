#include "fakes/FakeSurface.h"

#include <cstring>

CFakeSurface::CFakeSurface(FakeDDObject kind, int nInstance, CFakeSurface* pBack)
    // The chain alone holds its back buffer until someone asks for it.
    : m_refs(kind, nInstance, kind == FakeDDObject::BackBuffer ? 0 : 1), m_pBack(pBack), m_pPrimary(nullptr),
      m_nFlips(0)
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
    return m_refs.Release();
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
HRESULT CFakeSurface::GetSurfaceDesc(LPDDSURFACEDESC) { return Unexpected("GetSurfaceDesc"); }
HRESULT CFakeSurface::Initialize(LPDIRECTDRAW, LPDDSURFACEDESC) { return Unexpected("Initialize"); }
HRESULT CFakeSurface::IsLost() { return Unexpected("IsLost"); }
HRESULT CFakeSurface::Lock(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) { return Unexpected("Lock"); }
HRESULT CFakeSurface::ReleaseDC(HDC) { return Unexpected("ReleaseDC"); }
HRESULT CFakeSurface::SetClipper(LPDIRECTDRAWCLIPPER) { return Unexpected("SetClipper"); }
HRESULT CFakeSurface::SetColorKey(DWORD, LPDDCOLORKEY) { return Unexpected("SetColorKey"); }
HRESULT CFakeSurface::SetOverlayPosition(LONG, LONG) { return Unexpected("SetOverlayPosition"); }
HRESULT CFakeSurface::SetPalette(LPDIRECTDRAWPALETTE) { return Unexpected("SetPalette"); }
HRESULT CFakeSurface::Unlock(LPVOID) { return Unexpected("Unlock"); }
HRESULT CFakeSurface::UpdateOverlay(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) { return Unexpected("UpdateOverlay"); }
HRESULT CFakeSurface::UpdateOverlayDisplay(DWORD) { return Unexpected("UpdateOverlayDisplay"); }
HRESULT CFakeSurface::UpdateOverlayZOrder(DWORD, LPDIRECTDRAWSURFACE) { return Unexpected("UpdateOverlayZOrder"); }
