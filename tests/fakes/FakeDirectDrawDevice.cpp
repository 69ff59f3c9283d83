#include "fakes/FakeDirectDrawDevice.h"

#include "fakes/FakePalette.h"
#include "fakes/FakeSurface.h"

namespace
{
const wchar_t kDeviceClass[] = L"FakeDirectDrawDeviceWnd";

LRESULT CALLBACK DeviceWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void RegisterDeviceClass()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &DeviceWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kDeviceClass;
    RegisterClassW(&wc); // fails harmlessly once it is registered
}
}

CFakeDirectDrawDevice::CFakeDirectDrawDevice(int nInstance)
    : m_dd1(this, FakeDDObject::DirectDraw, nInstance, 1), m_dd2(this, FakeDDObject::DirectDraw2, nInstance, 0),
      m_hDeviceWnd(nullptr)
{
}

CFakeDirectDrawDevice::~CFakeDirectDrawDevice()
{
    DestroyDeviceWindow();
}

HRESULT CFakeDirectDrawDevice::QueryInterface(CFakeRefCount& refs, REFIID riid, void** ppv)
{
    HRESULT hr = E_NOINTERFACE;
    CFakeRefCount* pTarget = nullptr;
    *ppv = nullptr;
    if (riid == IID_IDirectDraw2)
    {
        hr = g_fakeDDScript.hrQueryInterface;
        if (hr == S_OK)
        {
            *ppv = static_cast<IDirectDraw2*>(&m_dd2);
            pTarget = &m_dd2.Refs();
        }
    }
    else if (riid == IID_IUnknown || riid == IID_IDirectDraw)
    {
        hr = S_OK;
        *ppv = static_cast<IDirectDraw*>(&m_dd1);
        pTarget = &m_dd1.Refs();
    }
    FakeDDCall call = refs.NewCall(FakeDDMethod::QueryInterface);
    call.iid = riid;
    FakeDDReturn(FakeDDMethod::QueryInterface, &call, hr);
    if (pTarget != nullptr)
        pTarget->AddRef();
    return hr;
}

HRESULT CFakeDirectDrawDevice::SetCooperativeLevel(const CFakeRefCount& refs, HWND hWnd, DWORD dwFlags)
{
    const HRESULT hr = g_fakeDDScript.cooperativeLevel.Take();
    if (hr == DD_OK)
    {
        FakeDDSetCooperativeWindow(hWnd);
        if (g_fakeDDScript.focus == FakeFocus::Steal)
        {
            if ((dwFlags & DDSCL_CREATEDEVICEWINDOW) != 0)
                StealFocus();
            else if (dwFlags == DDSCL_NORMAL)
                DestroyDeviceWindow();
        }
    }
    FakeDDCall call = refs.NewCall(FakeDDMethod::SetCooperativeLevel);
    call.hWnd = hWnd;
    call.dwFlags = dwFlags;
    call.hFocusAfter = GetFocus();
    return FakeDDReturn(FakeDDMethod::SetCooperativeLevel, &call, hr);
}

HRESULT CFakeDirectDrawDevice::CreateSurface(const CFakeRefCount& refs, LPDDSURFACEDESC pDesc,
                                             LPDIRECTDRAWSURFACE* ppSurface, IUnknown* pOuter)
{
    const HRESULT hr = g_fakeDDScript.hrCreateSurface;
    *ppSurface = nullptr;
    if (hr == DD_OK)
    {
        CFakeSurface* pBack = FakeDDMakeSurface(FakeDDObject::BackBuffer, nullptr);
        *ppSurface = FakeDDMakeSurface(FakeDDObject::Primary, pBack);
    }
    FakeDDCall call = refs.NewCall(FakeDDMethod::CreateSurface);
    call.desc = *pDesc;
    call.pOuter = pOuter;
    return FakeDDReturn(FakeDDMethod::CreateSurface, &call, hr);
}

void CFakeDirectDrawDevice::OnInterfaceReleased()
{
    if (!IsAlive())
        DestroyDeviceWindow();
}

void CFakeDirectDrawDevice::StealFocus()
{
    if (m_hDeviceWnd == nullptr)
    {
        RegisterDeviceClass();
        m_hDeviceWnd = CreateWindowExW(0, kDeviceClass, L"Fake DirectDraw device", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1,
                                       nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    SetForegroundWindow(m_hDeviceWnd);
    SetFocus(m_hDeviceWnd);
}

void CFakeDirectDrawDevice::DestroyDeviceWindow()
{
    if (m_hDeviceWnd != nullptr)
    {
        DestroyWindow(m_hDeviceWnd);
        m_hDeviceWnd = nullptr;
    }
}

HRESULT FakeDeviceQueryInterface(CFakeDirectDrawDevice* pDevice, CFakeRefCount& refs, REFIID riid, void** ppv)
{
    return pDevice->QueryInterface(refs, riid, ppv);
}

HRESULT FakeDeviceSetCooperativeLevel(CFakeDirectDrawDevice* pDevice, const CFakeRefCount& refs, HWND hWnd,
                                      DWORD dwFlags)
{
    return pDevice->SetCooperativeLevel(refs, hWnd, dwFlags);
}

HRESULT FakeDeviceCreateSurface(CFakeDirectDrawDevice* pDevice, const CFakeRefCount& refs, LPDDSURFACEDESC pDesc,
                                LPDIRECTDRAWSURFACE* ppSurface, IUnknown* pOuter)
{
    return pDevice->CreateSurface(refs, pDesc, ppSurface, pOuter);
}

HRESULT FakeDeviceCreatePalette(const CFakeRefCount& refs, DWORD dwFlags, LPPALETTEENTRY pEntries,
                                LPDIRECTDRAWPALETTE* ppPalette, IUnknown* pOuter)
{
    HRESULT hr = g_fakeDDScript.hrCreatePalette;
    // A 256-entry palette needs its entries; an aggregating object is refused.
    if (hr == DD_OK && ((dwFlags & DDPCAPS_8BIT) == 0 || pEntries == nullptr))
        hr = DDERR_INVALIDPARAMS;
    if (hr == DD_OK && pOuter != nullptr)
        hr = CLASS_E_NOAGGREGATION;
    *ppPalette = hr == DD_OK ? FakeDDMakePalette(dwFlags, pEntries) : nullptr;
    FakeDDCall call = refs.NewCall(FakeDDMethod::CreatePalette);
    call.dwFlags = dwFlags;
    call.pOuter = pOuter;
    return FakeDDReturn(FakeDDMethod::CreatePalette, &call, hr);
}

HRESULT FakeDeviceGetMonitorFrequency(const CFakeRefCount& refs, LPDWORD pdwFrequency)
{
    const HRESULT hr = g_fakeDDScript.hrGetMonitorFrequency;
    if (hr == DD_OK)
        *pdwFrequency = g_fakeDDScript.dwMonitorFrequency;
    if (!FakeDDIsRecording())
        return FakeDDReturn(FakeDDMethod::GetMonitorFrequency, nullptr, hr);
    FakeDDCall call = refs.NewCall(FakeDDMethod::GetMonitorFrequency);
    return FakeDDReturn(FakeDDMethod::GetMonitorFrequency, &call, hr);
}

void FakeDeviceCheckAlive(const CFakeDirectDrawDevice* pDevice)
{
    if (!pDevice->IsAlive())
        FakeDDMisuse();
}

void FakeDeviceReleased(CFakeDirectDrawDevice* pDevice)
{
    pDevice->OnInterfaceReleased();
}
