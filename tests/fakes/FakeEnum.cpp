#include "fakes/FakeEnum.h"

#include "platform/DirectDrawEnum.h"

FakeEnumScript g_fakeEnumW;
FakeEnumScript g_fakeEnumA;
FakeEnumScript g_fakeEnumExW;
FakeEnumScript g_fakeEnumExA;

namespace
{
std::wstring Widen(const std::string& str)
{
    std::wstring wide;
    for (unsigned char c : str)
        wide.push_back(static_cast<wchar_t>(c));
    return wide;
}

GUID* GuidOf(FakeDevice& device)
{
    return device.bHasGuid ? &device.guid : nullptr;
}

// Calls back once per device while the callback says go on.
template <class Report>
HRESULT Play(FakeEnumScript& script, DWORD dwFlags, Report report)
{
    ++script.nCalls;
    script.dwLastFlags = dwFlags;
    std::vector<FakeDevice> devices = script.devices;
    for (FakeDevice& device : devices)
    {
        if (!report(device))
            break;
    }
    return script.hrResult;
}
}

extern "C" HRESULT WINAPI DirectDrawEnumerateW(LPDDENUMCALLBACKW pfnCallback, LPVOID pContext)
{
    return Play(g_fakeEnumW, 0, [&](FakeDevice& device) {
        std::wstring strDescription = Widen(device.strDescription);
        std::wstring strDriverName = Widen(device.strDriverName);
        return pfnCallback(GuidOf(device), &strDescription[0], &strDriverName[0], pContext) != FALSE;
    });
}

extern "C" HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA pfnCallback, LPVOID pContext)
{
    return Play(g_fakeEnumA, 0, [&](FakeDevice& device) {
        return pfnCallback(GuidOf(device), &device.strDescription[0], &device.strDriverName[0], pContext) != FALSE;
    });
}

HRESULT WINAPI FakeDirectDrawEnumerateExW(LPDDENUMCALLBACKEXW pfnCallback, LPVOID pContext, DWORD dwFlags)
{
    return Play(g_fakeEnumExW, dwFlags, [&](FakeDevice& device) {
        std::wstring strDescription = Widen(device.strDescription);
        std::wstring strDriverName = Widen(device.strDriverName);
        return pfnCallback(GuidOf(device), &strDescription[0], &strDriverName[0], pContext, device.hMonitor) != FALSE;
    });
}

HRESULT WINAPI FakeDirectDrawEnumerateExA(LPDDENUMCALLBACKEXA pfnCallback, LPVOID pContext, DWORD dwFlags)
{
    return Play(g_fakeEnumExA, dwFlags, [&](FakeDevice& device) {
        return pfnCallback(GuidOf(device), &device.strDescription[0], &device.strDriverName[0], pContext,
                           device.hMonitor) != FALSE;
    });
}

void ResetFakeEnum(bool bExtended)
{
    g_fakeEnumW = FakeEnumScript();
    g_fakeEnumA = FakeEnumScript();
    g_fakeEnumExW = FakeEnumScript();
    g_fakeEnumExA = FakeEnumScript();
    g_pfnDirectDrawEnumerateExW = bExtended ? &FakeDirectDrawEnumerateExW : nullptr;
    g_pfnDirectDrawEnumerateExA = bExtended ? &FakeDirectDrawEnumerateExA : nullptr;
}

FakeDevice MakeFakeDevice(const char* pszDescription, const char* pszDriverName, const GUID* pGuid,
                          HMONITOR hMonitor)
{
    FakeDevice device = {pGuid != nullptr, pGuid != nullptr ? *pGuid : GUID(), pszDescription, pszDriverName,
                         hMonitor};
    return device;
}
