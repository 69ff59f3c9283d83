// The fake DirectDraw object behind one DirectDrawCreate: its two interfaces,
// its co-operative window and, when the script says so, a device window of its
// own that takes the keyboard focus.
#ifndef QUILLABY_TESTS_FAKEDIRECTDRAWDEVICE_H
#define QUILLABY_TESTS_FAKEDIRECTDRAWDEVICE_H

#include "fakes/FakeDirectDrawInterface.h"

class CFakeDirectDrawDevice
{
public:
    explicit CFakeDirectDrawDevice(int nInstance);
    ~CFakeDirectDrawDevice();

    IDirectDraw* DirectDraw() { return &m_dd1; }
    const CFakeRefCount& Refs1() const { return m_dd1.Refs(); }
    const CFakeRefCount& Refs2() const { return m_dd2.Refs(); }
    bool IsAlive() const { return m_dd1.Refs().Refs() > 0 || m_dd2.Refs().Refs() > 0; }
    HWND DeviceWindow() const { return m_hDeviceWnd; }

    HRESULT QueryInterface(CFakeRefCount& refs, REFIID riid, void** ppv);
    HRESULT SetCooperativeLevel(const CFakeRefCount& refs, HWND hWnd, DWORD dwFlags);
    HRESULT CreateSurface(const CFakeRefCount& refs, LPDDSURFACEDESC pDesc, LPDIRECTDRAWSURFACE* ppSurface,
                          IUnknown* pOuter);
    void OnInterfaceReleased();

private:
    CFakeDirectDrawDevice(const CFakeDirectDrawDevice&);
    CFakeDirectDrawDevice& operator=(const CFakeDirectDrawDevice&);

    void StealFocus();
    void DestroyDeviceWindow();

    CFakeDirectDrawInterface<IDirectDraw> m_dd1;
    CFakeDirectDrawInterface<IDirectDraw2> m_dd2;
    HWND m_hDeviceWnd;
};

#endif
