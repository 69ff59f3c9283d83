#include "platform/DirectDrawEnum.h"

LPDIRECTDRAWENUMERATEEXW g_pfnDirectDrawEnumerateExW = nullptr;
LPDIRECTDRAWENUMERATEEXA g_pfnDirectDrawEnumerateExA = nullptr;

namespace
{
// Looks the name up in DDRAW only if the program already has it loaded; a
// failed lookup is repeated on the next call, a found entry is kept for good.
template <class Pointer>
void LookUpOnce(Pointer& pfn, const char* pszName)
{
    if (pfn != nullptr)
        return;
    HMODULE hDDraw = GetModuleHandleW(L"DDRAW");
    if (hDDraw == nullptr)
        return;
    FARPROC pProc = GetProcAddress(hDDraw, pszName);
    pfn = reinterpret_cast<Pointer>(reinterpret_cast<void*>(pProc));
}
}

HRESULT EnumerateDirectDrawW(LPDDENUMCALLBACKEXW pfnCallback, LPVOID pContext, DWORD dwFlags)
{
    LookUpOnce(g_pfnDirectDrawEnumerateExW, "DirectDrawEnumerateExW");
    if (g_pfnDirectDrawEnumerateExW != nullptr)
        return g_pfnDirectDrawEnumerateExW(pfnCallback, pContext, dwFlags);

    // The plain enumeration takes no flags.
    PlainEnumContext<LPDDENUMCALLBACKEXW> plain = {pfnCallback, pContext};
    return DirectDrawEnumerateW(&PlainEnumAdapter<WCHAR, LPDDENUMCALLBACKEXW>, &plain);
}

HRESULT EnumerateDirectDrawA(LPDDENUMCALLBACKEXA pfnCallback, LPVOID pContext, DWORD dwFlags)
{
    LookUpOnce(g_pfnDirectDrawEnumerateExA, "DirectDrawEnumerateExA");
    if (g_pfnDirectDrawEnumerateExA != nullptr)
        return g_pfnDirectDrawEnumerateExA(pfnCallback, pContext, dwFlags);

    PlainEnumContext<LPDDENUMCALLBACKEXA> plain = {pfnCallback, pContext};
    return DirectDrawEnumerateA(&PlainEnumAdapter<CHAR, LPDDENUMCALLBACKEXA>, &plain);
}
