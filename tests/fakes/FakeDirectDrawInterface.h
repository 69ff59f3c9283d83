// One interface of the fake DirectDraw object, IDirectDraw or IDirectDraw2,
// with a reference count of its own as Wine keeps one per interface. What the
// system calls is passed to the owning CFakeDirectDrawDevice.
#ifndef QUILLABY_TESTS_FAKEDIRECTDRAWINTERFACE_H
#define QUILLABY_TESTS_FAKEDIRECTDRAWINTERFACE_H

#include "fakes/FakeRefCount.h"

class CFakeDirectDrawDevice;

// Implemented by CFakeDirectDrawDevice; declared here so that the template
// needs only the owner's name.
HRESULT FakeDeviceQueryInterface(CFakeDirectDrawDevice* pDevice, CFakeRefCount& refs, REFIID riid, void** ppv);
HRESULT FakeDeviceSetCooperativeLevel(CFakeDirectDrawDevice* pDevice, const CFakeRefCount& refs, HWND hWnd,
                                      DWORD dwFlags);
HRESULT FakeDeviceCreateSurface(CFakeDirectDrawDevice* pDevice, const CFakeRefCount& refs, LPDDSURFACEDESC pDesc,
                                LPDIRECTDRAWSURFACE* ppSurface, IUnknown* pOuter);
HRESULT FakeDeviceCreatePalette(const CFakeRefCount& refs, DWORD dwFlags, LPPALETTEENTRY pEntries,
                                LPDIRECTDRAWPALETTE* ppPalette, IUnknown* pOuter);
HRESULT FakeDeviceGetMonitorFrequency(const CFakeRefCount& refs, LPDWORD pdwFrequency);
void FakeDeviceCheckAlive(const CFakeDirectDrawDevice* pDevice);
void FakeDeviceReleased(CFakeDirectDrawDevice* pDevice);

template <class Interface>
class CFakeDirectDrawInterface : public Interface
{
public:
    CFakeDirectDrawInterface(CFakeDirectDrawDevice* pDevice, FakeDDObject kind, int nInstance, long nRefs)
        : m_pDevice(pDevice), m_refs(kind, nInstance, nRefs)
    {
    }
    virtual ~CFakeDirectDrawInterface() {}

    const CFakeRefCount& Refs() const { return m_refs; }
    CFakeRefCount& Refs() { return m_refs; }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override
    {
        FakeDeviceCheckAlive(m_pDevice);
        return FakeDeviceQueryInterface(m_pDevice, m_refs, riid, ppvObject);
    }
    STDMETHOD_(ULONG, AddRef)() override
    {
        FakeDeviceCheckAlive(m_pDevice);
        return m_refs.AddRef();
    }
    STDMETHOD_(ULONG, Release)() override
    {
        const ULONG nRefs = m_refs.Release();
        if (nRefs == 0)
            FakeDeviceReleased(m_pDevice);
        return nRefs;
    }
    STDMETHOD(SetCooperativeLevel)(HWND hWnd, DWORD dwFlags) override
    {
        FakeDeviceCheckAlive(m_pDevice);
        return FakeDeviceSetCooperativeLevel(m_pDevice, m_refs, hWnd, dwFlags);
    }
    STDMETHOD(CreateSurface)(LPDDSURFACEDESC pDesc, LPDIRECTDRAWSURFACE* ppSurface, IUnknown* pOuter) override
    {
        FakeDeviceCheckAlive(m_pDevice);
        return FakeDeviceCreateSurface(m_pDevice, m_refs, pDesc, ppSurface, pOuter);
    }

    STDMETHOD(Compact)() override { return Unexpected("Compact"); }
    STDMETHOD(CreateClipper)(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override { return Unexpected("CreateClipper"); }
    STDMETHOD(CreatePalette)(DWORD dwFlags, LPPALETTEENTRY pEntries, LPDIRECTDRAWPALETTE* ppPalette,
                             IUnknown* pOuter) override
    {
        FakeDeviceCheckAlive(m_pDevice);
        return FakeDeviceCreatePalette(m_refs, dwFlags, pEntries, ppPalette, pOuter);
    }
    STDMETHOD(DuplicateSurface)(LPDIRECTDRAWSURFACE, LPDIRECTDRAWSURFACE*) override
    {
        return Unexpected("DuplicateSurface");
    }
    STDMETHOD(EnumDisplayModes)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMMODESCALLBACK) override
    {
        return Unexpected("EnumDisplayModes");
    }
    STDMETHOD(EnumSurfaces)(DWORD, LPDDSURFACEDESC, LPVOID, LPDDENUMSURFACESCALLBACK) override
    {
        return Unexpected("EnumSurfaces");
    }
    STDMETHOD(FlipToGDISurface)() override { return Unexpected("FlipToGDISurface"); }
    STDMETHOD(GetCaps)(LPDDCAPS, LPDDCAPS) override { return Unexpected("GetCaps"); }
    STDMETHOD(GetDisplayMode)(LPDDSURFACEDESC) override { return Unexpected("GetDisplayMode"); }
    STDMETHOD(GetFourCCCodes)(LPDWORD, LPDWORD) override { return Unexpected("GetFourCCCodes"); }
    STDMETHOD(GetGDISurface)(LPDIRECTDRAWSURFACE*) override { return Unexpected("GetGDISurface"); }
    STDMETHOD(GetMonitorFrequency)(LPDWORD pdwFrequency) override
    {
        FakeDeviceCheckAlive(m_pDevice);
        return FakeDeviceGetMonitorFrequency(m_refs, pdwFrequency);
    }
    STDMETHOD(GetScanLine)(LPDWORD) override { return Unexpected("GetScanLine"); }
    STDMETHOD(GetVerticalBlankStatus)(BOOL*) override { return Unexpected("GetVerticalBlankStatus"); }
    STDMETHOD(Initialize)(GUID*) override { return Unexpected("Initialize"); }
    STDMETHOD(RestoreDisplayMode)() override { return Unexpected("RestoreDisplayMode"); }
    STDMETHOD(WaitForVerticalBlank)(DWORD, HANDLE) override { return Unexpected("WaitForVerticalBlank"); }
    // IDirectDraw's form and IDirectDraw2's; each class overrides one of them.
    STDMETHOD(SetDisplayMode)(DWORD, DWORD, DWORD) { return Unexpected("SetDisplayMode"); }
    STDMETHOD(SetDisplayMode)(DWORD, DWORD, DWORD, DWORD, DWORD) { return Unexpected("SetDisplayMode"); }
    STDMETHOD(GetAvailableVidMem)(LPDDSCAPS, LPDWORD, LPDWORD) { return Unexpected("GetAvailableVidMem"); }

private:
    HRESULT Unexpected(const char* pszName) { return FakeDDUnexpected(m_refs.Kind(), m_refs.Instance(), pszName); }

    CFakeDirectDrawDevice* m_pDevice;
    CFakeRefCount m_refs;
};

#endif
