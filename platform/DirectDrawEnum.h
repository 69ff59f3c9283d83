// DirectDraw's device enumeration, wide and narrow. The extended entry points
// report each device's monitor; they are optional and are looked up by name.
#ifndef QUILLABY_PLATFORM_DIRECTDRAWENUM_H
#define QUILLABY_PLATFORM_DIRECTDRAWENUM_H

#include <windows.h>
#include <ddraw.h>

// Carries the extended callback through a plain enumeration, which has no
// monitor parameter. Lives only for the length of one plain enumeration call.
template <class Callback>
struct PlainEnumContext
{
    Callback pfnCallback;
    LPVOID pContext;
};

// Null until a lookup in the loaded "DDRAW" module finds the function; tests
// may set them to stand-ins.
extern LPDIRECTDRAWENUMERATEEXW g_pfnDirectDrawEnumerateExW;
extern LPDIRECTDRAWENUMERATEEXA g_pfnDirectDrawEnumerateExA;

HRESULT EnumerateDirectDrawW(LPDDENUMCALLBACKEXW pfnCallback, LPVOID pContext, DWORD dwFlags);
HRESULT EnumerateDirectDrawA(LPDDENUMCALLBACKEXA pfnCallback, LPVOID pContext, DWORD dwFlags);

// Forwards one device of a plain enumeration to the extended callback, with no
// monitor. One adapter serves both text forms: it only passes pointers on.
template <class Char, class Callback>
BOOL CALLBACK PlainEnumAdapter(GUID* pGuid, Char* pszDescription, Char* pszDriverName, LPVOID pContext)
{
    const PlainEnumContext<Callback>* pPlain = static_cast<const PlainEnumContext<Callback>*>(pContext);
    return pPlain->pfnCallback(pGuid, pszDescription, pszDriverName, pPlain->pContext, nullptr);
}

#endif
