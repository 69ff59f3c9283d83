// Link-time stand-ins for DirectDraw's enumerations. Each reports a scripted
// list of devices and then returns a scripted result.
#ifndef QUILLABY_TESTS_FAKEENUM_H
#define QUILLABY_TESTS_FAKEENUM_H

#include <windows.h>
#include <ddraw.h>
#include <string>
#include <vector>

struct FakeDevice
{
    bool bHasGuid;
    GUID guid;
    std::string strDescription; // bytes; the wide forms widen each byte
    std::string strDriverName;
    HMONITOR hMonitor;          // reported only by the extended forms
};

struct FakeEnumScript
{
    std::vector<FakeDevice> devices;
    HRESULT hrResult = DD_OK;
    int nCalls = 0;
    DWORD dwLastFlags = 0;
};

// DirectDrawEnumerateW, DirectDrawEnumerateA, and the two extended stand-ins
// below, in that order.
extern FakeEnumScript g_fakeEnumW;
extern FakeEnumScript g_fakeEnumA;
extern FakeEnumScript g_fakeEnumExW;
extern FakeEnumScript g_fakeEnumExA;

HRESULT WINAPI FakeDirectDrawEnumerateExW(LPDDENUMCALLBACKEXW pfnCallback, LPVOID pContext, DWORD dwFlags);
HRESULT WINAPI FakeDirectDrawEnumerateExA(LPDDENUMCALLBACKEXA pfnCallback, LPVOID pContext, DWORD dwFlags);

// Empties the four scripts; with bExtended the extended entry points are set
// to the stand-ins, otherwise they are null and a lookup would find the real
// ones if DDRAW were loaded (it is not, in a unit test).
void ResetFakeEnum(bool bExtended);

FakeDevice MakeFakeDevice(const char* pszDescription, const char* pszDriverName,
                          const GUID* pGuid = nullptr, HMONITOR hMonitor = nullptr);

#endif
