// A fake IDirectDrawSurface: the primary surface of a flip chain, or its back
// buffer. Lives until the next ResetFakeDirectDraw, so that late calls are seen.
#ifndef QUILLABY_TESTS_FAKESURFACE_H
#define QUILLABY_TESTS_FAKESURFACE_H

#include "fakes/FakeRefCount.h"

class CFakeSurface : public IDirectDrawSurface
{
public:
    // pBack: the primary surface's back buffer; null for the back buffer itself.
    CFakeSurface(FakeDDObject kind, int nInstance, CFakeSurface* pBack);
    virtual ~CFakeSurface();

    const CFakeRefCount& Refs() const { return m_refs; }
    // The back buffer lives as long as its primary surface.
    bool IsAlive() const;
    // The palette SetPalette attached; the surface holds a reference to it
    // until it is released itself or another palette takes the place.
    IDirectDrawPalette* AttachedPalette() const { return m_pPalette; }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(AddAttachedSurface)(LPDIRECTDRAWSURFACE) override;
    STDMETHOD(AddOverlayDirtyRect)(LPRECT) override;
    STDMETHOD(Blt)(LPRECT pDestRect, LPDIRECTDRAWSURFACE pSource, LPRECT pSourceRect, DWORD dwFlags,
                   LPDDBLTFX pFx) override;
    STDMETHOD(BltBatch)(LPDDBLTBATCH, DWORD, DWORD) override;
    STDMETHOD(BltFast)(DWORD, DWORD, LPDIRECTDRAWSURFACE, LPRECT, DWORD) override;
    STDMETHOD(DeleteAttachedSurface)(DWORD, LPDIRECTDRAWSURFACE) override;
    STDMETHOD(EnumAttachedSurfaces)(LPVOID, LPDDENUMSURFACESCALLBACK) override;
    STDMETHOD(EnumOverlayZOrders)(DWORD, LPVOID, LPDDENUMSURFACESCALLBACK) override;
    STDMETHOD(Flip)(LPDIRECTDRAWSURFACE pTargetOverride, DWORD dwFlags) override;
    STDMETHOD(GetAttachedSurface)(LPDDSCAPS pCaps, LPDIRECTDRAWSURFACE* ppSurface) override;
    STDMETHOD(GetBltStatus)(DWORD) override;
    STDMETHOD(GetCaps)(LPDDSCAPS) override;
    STDMETHOD(GetClipper)(LPDIRECTDRAWCLIPPER*) override;
    STDMETHOD(GetColorKey)(DWORD, LPDDCOLORKEY) override;
    STDMETHOD(GetDC)(HDC*) override;
    STDMETHOD(GetFlipStatus)(DWORD) override;
    STDMETHOD(GetOverlayPosition)(LPLONG, LPLONG) override;
    STDMETHOD(GetPalette)(LPDIRECTDRAWPALETTE*) override;
    STDMETHOD(GetPixelFormat)(LPDDPIXELFORMAT pFormat) override;
    STDMETHOD(GetSurfaceDesc)(LPDDSURFACEDESC) override;
    STDMETHOD(Initialize)(LPDIRECTDRAW, LPDDSURFACEDESC) override;
    STDMETHOD(IsLost)() override;
    STDMETHOD(Lock)(LPRECT, LPDDSURFACEDESC, DWORD, HANDLE) override;
    STDMETHOD(ReleaseDC)(HDC) override;
    STDMETHOD(Restore)() override;
    STDMETHOD(SetClipper)(LPDIRECTDRAWCLIPPER) override;
    STDMETHOD(SetColorKey)(DWORD, LPDDCOLORKEY) override;
    STDMETHOD(SetOverlayPosition)(LONG, LONG) override;
    STDMETHOD(SetPalette)(LPDIRECTDRAWPALETTE) override;
    STDMETHOD(Unlock)(LPVOID) override;
    STDMETHOD(UpdateOverlay)(LPRECT, LPDIRECTDRAWSURFACE, LPRECT, DWORD, LPDDOVERLAYFX) override;
    STDMETHOD(UpdateOverlayDisplay)(DWORD) override;
    STDMETHOD(UpdateOverlayZOrder)(DWORD, LPDIRECTDRAWSURFACE) override;

private:
    CFakeSurface(const CFakeSurface&);
    CFakeSurface& operator=(const CFakeSurface&);

    void CheckAlive() const;
    HRESULT Unexpected(const char* pszName);

    CFakeRefCount m_refs;
    CFakeSurface* m_pBack;
    CFakeSurface* m_pPrimary; // the back buffer's primary surface
    int m_nFlips;
    IDirectDrawPalette* m_pPalette;
};

#endif
