#include "fakes/FakePalette.h"

#include <cstring>

CFakePalette::CFakePalette(int nInstance, DWORD dwCaps, const PALETTEENTRY* pEntries)
    : m_refs(FakeDDObject::Palette, nInstance, 1), m_dwCaps(dwCaps), m_entries()
{
    std::memcpy(m_entries, pEntries, sizeof(m_entries));
}

CFakePalette::~CFakePalette()
{
}

void CFakePalette::CheckAlive() const
{
    if (m_refs.Refs() <= 0)
        FakeDDMisuse();
}

HRESULT CFakePalette::QueryInterface(REFIID riid, void** ppvObject)
{
    CheckAlive();
    *ppvObject = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDirectDrawPalette)
        return E_NOINTERFACE;
    *ppvObject = static_cast<IDirectDrawPalette*>(this);
    m_refs.AddRef();
    return S_OK;
}

ULONG CFakePalette::AddRef()
{
    CheckAlive();
    return m_refs.AddRef();
}

ULONG CFakePalette::Release()
{
    return m_refs.Release();
}

HRESULT CFakePalette::GetCaps(LPDWORD pdwCaps)
{
    CheckAlive();
    *pdwCaps = m_dwCaps;
    return DD_OK;
}

HRESULT CFakePalette::GetEntries(DWORD, DWORD dwBase, DWORD dwCount, LPPALETTEENTRY pEntries)
{
    CheckAlive();
    if (dwBase + dwCount > 256)
        return DDERR_INVALIDPARAMS;
    std::memcpy(pEntries, m_entries + dwBase, dwCount * sizeof(PALETTEENTRY));
    return DD_OK;
}

HRESULT CFakePalette::Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY)
{
    return FakeDDUnexpected(m_refs.Kind(), m_refs.Instance(), "Initialize");
}

HRESULT CFakePalette::SetEntries(DWORD dwFlags, DWORD dwStart, DWORD dwCount, LPPALETTEENTRY pEntries)
{
    CheckAlive();
    // As DirectDraw does: flags must be 0, and the entries must fit.
    const HRESULT hr = dwFlags != 0 || dwStart + dwCount > 256 ? DDERR_INVALIDPARAMS : g_fakeDDScript.hrSetEntries;
    if (hr == DD_OK)
        std::memcpy(m_entries + dwStart, pEntries, dwCount * sizeof(PALETTEENTRY));
    FakeDDCall call = m_refs.NewCall(FakeDDMethod::SetEntries);
    call.dwFlags = dwFlags;
    call.dwStart = dwStart;
    call.dwCount = dwCount;
    return FakeDDReturn(FakeDDMethod::SetEntries, &call, hr);
}
