// A fake IDirectDrawPalette of 256 entries. Lives until the next
// ResetFakeDirectDraw, so that late calls are seen.
#ifndef QUILLABY_TESTS_FAKEPALETTE_H
#define QUILLABY_TESTS_FAKEPALETTE_H

#include "fakes/FakeRefCount.h"

class CFakePalette : public IDirectDrawPalette
{
public:
    CFakePalette(int nInstance, DWORD dwCaps, const PALETTEENTRY* pEntries);
    virtual ~CFakePalette();

    const CFakeRefCount& Refs() const { return m_refs; }
    const PALETTEENTRY* Entries() const { return m_entries; }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppvObject) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetCaps)(LPDWORD pdwCaps) override;
    STDMETHOD(GetEntries)(DWORD dwFlags, DWORD dwBase, DWORD dwCount, LPPALETTEENTRY pEntries) override;
    STDMETHOD(Initialize)(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override;
    STDMETHOD(SetEntries)(DWORD dwFlags, DWORD dwStart, DWORD dwCount, LPPALETTEENTRY pEntries) override;

private:
    CFakePalette(const CFakePalette&);
    CFakePalette& operator=(const CFakePalette&);

    void CheckAlive() const;

    CFakeRefCount m_refs;
    DWORD m_dwCaps;
    PALETTEENTRY m_entries[256];
};

#endif
